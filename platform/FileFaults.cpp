#include "platform/FileFaults.h"

#include <map>

namespace platform::faults {
namespace {

struct Fault {
    int openError = 0;
    std::int64_t readLimit = -1;
    std::int64_t writeLimit = -1;
};

std::map<std::string, Fault>& Table() {
    static std::map<std::string, Fault> table;
    return table;
}

const Fault* Find(const std::string& path) {
    const auto& table = Table();
    if (table.empty()) {
        return nullptr;
    }
    auto it = table.find(path);
    return it == table.end() ? nullptr : &it->second;
}

}  // namespace

void FailOpen(const std::string& path, int errnum) {
    Table()[path].openError = errnum;
}

void FailReadAfter(const std::string& path, std::int64_t bytes) {
    Table()[path].readLimit = bytes;
}

void FailWriteAfter(const std::string& path, std::int64_t bytes) {
    Table()[path].writeLimit = bytes;
}

void ClearAll() {
    Table().clear();
}

int OpenErrorFor(const std::string& path) {
    const Fault* fault = Find(path);
    return fault ? fault->openError : 0;
}

std::int64_t ReadLimitFor(const std::string& path) {
    const Fault* fault = Find(path);
    return fault ? fault->readLimit : -1;
}

std::int64_t WriteLimitFor(const std::string& path) {
    const Fault* fault = Find(path);
    return fault ? fault->writeLimit : -1;
}

}  // namespace platform::faults
