#include "ui/Unit1.h"

#include "catalogue/OpenFile.h"
#include "catalogue/ScanHost.h"
#include "convert/Commands.h"
#include "platform/Application.h"
#include "ui/HelpSupport.h"

TForm1* Form1 = nullptr;
StreamCatalogue Catalogue;

namespace {

constexpr char kEnter = 13;

// What the Open File command works on: the main window's controls.
class MainWindowScanHost : public ScanHost {
  public:
    explicit MainWindowScanHost(TForm1& form) : form_(form) {}

    void SetDialogFilter(const std::string& filter) override {
        form_.OpenDialog1->SetFilter(filter);
    }
    bool ExecuteDialog() override { return form_.OpenDialog1->Execute(); }
    std::string DialogFileName() override { return form_.OpenDialog1->FileName(); }

    void SetStatusText(const std::string& text) override { form_.StatusBar1->SetPanelText(text); }
    void ClearRows() override { form_.ListBox1->Clear(); }
    void AddRow(const std::string& text) override { form_.ListBox1->Add(text); }
    void Repaint() override { form_.Repaint(); }

    void SetProgressMin(std::int32_t value) override { form_.ProgressBar1->SetMin(value); }
    void SetProgressMax(std::int32_t value) override { form_.ProgressBar1->SetMax(value); }
    void SetProgressPosition(std::int32_t value) override {
        form_.ProgressBar1->SetPosition(value);
    }

    void ProcessMessages() override { platform::Application().ProcessMessages(); }
    void ShowMessage(const std::string& text, const std::string& caption, int flags) override {
        platform::Application().MessageBox(text, caption, flags);
    }

  private:
    TForm1& form_;
};

// What the play and convert commands work on: the selected row of the list.
class MainWindowCommandHost : public CommandHost {
  public:
    explicit MainWindowCommandHost(TForm1& form) : form_(form) {}

    std::int32_t SelectedIndex() override { return form_.ListBox1->ItemIndex(); }
    std::string RowText(std::int32_t index) override { return form_.ListBox1->Item(index); }
    void ShowMessage(const std::string& text, const std::string& caption, int flags) override {
        platform::Application().MessageBox(text, caption, flags);
    }
    void ProcessMessages() override { platform::Application().ProcessMessages(); }

  private:
    TForm1& form_;
};

template <class Control>
Control* Make(TForm1* form, const char* name, int left, int top, int width, int height) {
    auto* control = new Control(form);
    control->setObjectName(QString::fromLatin1(name));
    platform::PlaceControl(*control, left, top, width, height);
    return control;
}

platform::TButton* MakeButton(TForm1* form, const char* name, int top, const char* caption) {
    auto* button = Make<platform::TButton>(form, name, 184, top, 121, 25);
    button->SetCaption(caption);
    return button;
}

}  // namespace

TForm1::TForm1() {
    setObjectName(QStringLiteral("Form1"));
    SetCaption("Kestrin ASF Player");
    SetClientSize(314, 210);
    SetOuterPosition(553, 90);

    // Created in their declaration order, which is also the order in which Qt stacks them.
    ProgressBar1 = Make<platform::TProgressBar>(this, "ProgressBar1", 8, 176, 297, 9);
    Button1 = MakeButton(this, "Button1", 8, "Open File");
    ListBox1 = Make<platform::TListBox>(this, "ListBox1", 8, 8, 169, 161);
    ListBox1->SetItemHeight(13);
    StatusBar1 = Make<platform::TStatusBar>(this, "StatusBar1", 0, 188, 314, 22);
    OpenDialog1 = std::make_unique<platform::TOpenDialog>(this);
    Button2 = MakeButton(this, "Button2", 72, "Stop");
    Button3 = MakeButton(this, "Button3", 40, "Play");
    Button5 = MakeButton(this, "Button5", 104, "Convert to Wav");
    Button4 = MakeButton(this, "Button4", 136, "Help / Support ");

    // "Stop" comes before "Play" although "Play" is drawn above it.
    setTabOrder(Button1, ListBox1);
    setTabOrder(ListBox1, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, Button5);
    setTabOrder(Button5, Button4);
    Button1->setFocus();

    Button1->OnClick = [this] { Button1Click(); };
    Button2->OnClick = [this] { Button2Click(); };
    ListBox1->OnDblClick = [this] { ListBox1DblClick(); };
    Button3->OnClick = [this] { Button3Click(); };
    Button5->OnClick = [this] { Button5Click(); };
    ListBox1->OnKeyPress = [this](char& key) { ListBox1KeyPress(key); };
    Button4->OnClick = [this] { Button4Click(); };
}

TForm1::~TForm1() {
    if (Form1 == this) {
        Form1 = nullptr;
    }
}

void TForm1::Button1Click() {
    MainWindowScanHost host(*this);
    OpenFile(Catalogue, host);
}

void TForm1::Button2Click() {
    StopSound();
}

void TForm1::ListBox1DblClick() {
    if (ListBox1->ItemIndex() >= 0) {
        MainWindowCommandHost host(*this);
        PlayStream(Catalogue, host);
    }
}

void TForm1::Button3Click() {
    ListBox1DblClick();
}

void TForm1::Button5Click() {
    if (ListBox1->ItemIndex() >= 0) {
        MainWindowCommandHost host(*this);
        ConvertStream(Catalogue, host);
    }
}

void TForm1::ListBox1KeyPress(char& Key) {
    if (Key == kEnter) {
        ListBox1DblClick();
    }
}

void TForm1::Button4Click() {
    ShowHelpSupport();
}
