#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/ScanHost.h"
#include "platform/ProgressModel.h"

// A ScanHost without a window, for the command-line programs: the "dialog" answers the path
// given on the command line, rows and the final message are kept for the caller to print, and
// the progress range is checked as the window's progress indicator checks it.
class ConsoleScanHost : public ScanHost {
  public:
    explicit ConsoleScanHost(std::string path) : path_(std::move(path)) {}

    void SetDialogFilter(const std::string&) override {}
    bool ExecuteDialog() override { return true; }
    std::string DialogFileName() override { return path_; }

    void SetStatusText(const std::string&) override {}
    void ClearRows() override { rows_.clear(); }
    void AddRow(const std::string& text) override { rows_.push_back(text); }
    void Repaint() override {}

    void SetProgressMin(std::int32_t value) override { progress_.SetMin(value); }
    void SetProgressMax(std::int32_t value) override { progress_.SetMax(value); }
    void SetProgressPosition(std::int32_t value) override { progress_.SetPosition(value); }

    void ProcessMessages() override {}

    void ShowMessage(const std::string& text, const std::string&, int) override { message_ = text; }

    const std::vector<std::string>& Rows() const { return rows_; }
    const std::string& Message() const { return message_; }

  private:
    std::string path_;
    std::vector<std::string> rows_;
    std::string message_;
    platform::ProgressModel progress_;
};
