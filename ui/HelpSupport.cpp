#include "ui/HelpSupport.h"

#include <QApplication>
#include <QPointer>
#include <QString>

#include "platform/Application.h"

THelpSupport* HelpSupport = nullptr;

namespace {

// The window and most of its controls use the window font at this character height.
constexpr int kFontCharacterHeight = 10;
constexpr int kAuthorFontCharacterHeight = 19;
constexpr int kLinkFontCharacterHeight = 12;

constexpr const char* kAuthor = "Author: Kestrin";
constexpr const char* kMailAddress = "kestrin@example.org";
constexpr const char* kWebAddress = "www.example.org/kestrin";

template <class Control, class Parent>
Control* Make(Parent* parent, const char* name) {
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

platform::TReadOnlyEdit* MakeEdit(QWidget* parent, const char* name, int left, int top, int width,
                                  const std::string& text) {
    auto* edit = Make<platform::TReadOnlyEdit>(parent, name);
    platform::PlaceControl(*edit, left, top, width, 24);
    edit->SetText(text);
    return edit;
}

}  // namespace

THelpSupport::THelpSupport() {
    setObjectName(QStringLiteral("HelpSupport"));
    SetCaption("Help / Support");
    SetClientSize(249, 312);
    SetFontCharacterHeight(kFontCharacterHeight);

    Button1 = Make<platform::TButton>(this, "Button1");
    platform::PlaceControl(*Button1, 88, 287, 65, 19);
    Button1->SetCaption("OK");
    Button1->OnClick = [this] { Button1Click(); };

    Label1 = Make<platform::TLabel>(this, "Label1");
    QFont authorFont = platform::WindowFont(kAuthorFontCharacterHeight);
    authorFont.setBold(true);
    Label1->setFont(authorFont);
    Label1->move(49, 10);
    Label1->SetCaption(kAuthor);

    GroupBox1 = Make<platform::TGroupBox>(this, "GroupBox1");
    platform::PlaceControl(*GroupBox1, 7, 33, 234, 59);
    GroupBox1->SetCaption("Contact Info: ");

    const QFont linkFont = platform::WindowFont(kLinkFontCharacterHeight);
    RzURLLabel1 = Make<platform::TLinkLabel>(GroupBox1, "RzURLLabel1");
    RzURLLabel1->setFont(linkFont);
    RzURLLabel1->move(11, 14);
    RzURLLabel1->SetCaption(kMailAddress);
    RzURLLabel1->SetTarget(std::string("MailTo:") + kMailAddress);

    RzURLLabel2 = Make<platform::TLinkLabel>(GroupBox1, "RzURLLabel2");
    RzURLLabel2->setFont(linkFont);
    RzURLLabel2->move(11, 33);
    RzURLLabel2->SetCaption(kWebAddress);
    RzURLLabel2->SetTarget(kWebAddress);

    GroupBox2 = Make<platform::TGroupBox>(this, "GroupBox2");
    platform::PlaceControl(*GroupBox2, 7, 98, 234, 182);
    GroupBox2->SetCaption("Financially support of Author: ");

    // The account values are samples: the project takes no payments.
    RzEdit1 = MakeEdit(GroupBox2, "RzEdit1", 7, 124, 104, "Z000000000000");
    RzEdit2 = MakeEdit(GroupBox2, "RzEdit2", 124, 124, 104, "R000000000000");
    RzEdit3 = MakeEdit(GroupBox2, "RzEdit3", 124, 150, 104, "U000000000000");
    RzEdit4 = MakeEdit(GroupBox2, "RzEdit4", 7, 150, 104, "E000000000000");

    // The two labels are sized to their text (161 by 26 and 92 by 13 in the designed font), so
    // that a wider font does not cut them off.
    RzLabel1 = Make<platform::TLabel>(GroupBox2, "RzLabel1");
    RzLabel1->move(7, 20);
    // One carriage return between the lines, without a line feed.
    RzLabel1->SetCaption("You can support Author financially\rBank Numbers:");

    Image1 = Make<platform::TImage>(this, "Image1");
    platform::PlaceControl(*Image1, 8, 0, 32, 32);
    Image1->LoadIcon(QStringLiteral(":/help/HelpPicture.ico"));

    RzLabel2 = Make<platform::TLabel>(GroupBox2, "RzLabel2");
    RzLabel2->move(7, 105);
    RzLabel2->SetCaption("WebMoney purses:");

    RzEdit5 = MakeEdit(GroupBox2, "RzEdit5", 7, 52, 221, "USD number: 0000-0000-0000-0000");
    RzEdit6 = MakeEdit(GroupBox2, "RzEdit6", 7, 78, 221, "Rubles number: 0000-0000-0000-0000");

    // OK, the purses clockwise from the top left, the bank numbers, and round to OK.
    setTabOrder(Button1, RzEdit1);
    setTabOrder(RzEdit1, RzEdit2);
    setTabOrder(RzEdit2, RzEdit3);
    setTabOrder(RzEdit3, RzEdit4);
    setTabOrder(RzEdit4, RzEdit5);
    setTabOrder(RzEdit5, RzEdit6);
    Button1->setFocus();
}

// HelpSupport never outlives the window it names, whoever destroys the window.
THelpSupport::~THelpSupport() {
    if (HelpSupport == this) {
        HelpSupport = nullptr;
    }
}

void THelpSupport::Button1Click() {
    Close();
}

namespace {

// The outer size that the help window will have once shown: its client area plus the frame
// that the desktop puts round the main window, which has the same kind of border. A window
// that is not shown yet has no frame to ask for.
QSize ExpectedOuterSize(const THelpSupport& help, const platform::TForm& main) {
    const QRect outer = main.OuterBounds();
    const QSize frame = outer.size() - main.size();
    return help.size() + frame;
}

}  // namespace

void ShowHelpSupport() {
    platform::TApplication& application = platform::Application();
    // A dismissed window is never shown again; the new one takes its place.
    if (HelpSupport != nullptr && !HelpSupport->isVisible()) {
        application.ReleaseForm(HelpSupport);
    }
    HelpSupport = nullptr;
    application.CreateForm(HelpSupport);

    if (const platform::TForm* main = application.MainForm(); main != nullptr) {
        const QRect mainOuter = main->OuterBounds();
        const QSize helpOuter = ExpectedOuterSize(*HelpSupport, *main);
        // Integer division truncating towards zero, also when the help window is the larger.
        HelpSupport->SetOuterPosition(
            mainOuter.left() + (mainOuter.width() - helpOuter.width()) / 2,
            mainOuter.top() + (mainOuter.height() - helpOuter.height()) / 2);
    }
    // The desktop need not give the activation back when a window closes; the window that
    // was active before the help window, normally the main window, gets it back here.
    const QPointer<QWidget> previouslyActive = QApplication::activeWindow();
    HelpSupport->ShowModal();
    if (previouslyActive != nullptr && previouslyActive->isVisible()) {
        previouslyActive->activateWindow();
    }
}
