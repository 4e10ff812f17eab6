#pragma once

#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/GroupBox.h"
#include "platform/Image.h"
#include "platform/Label.h"
#include "platform/LinkLabel.h"
#include "platform/ReadOnlyEdit.h"

// The help and support window: the author, two links for contacting the author, and the
// account numbers for supporting the author. It holds no logic beyond closing itself; the
// links open their targets through the desktop. Every control carries its own name as its
// object name.
class THelpSupport : public platform::TForm {
  public:
    THelpSupport();
    ~THelpSupport() override;

    platform::TButton* Button1;
    platform::TLabel* Label1;
    platform::TGroupBox* GroupBox1;
    platform::TLinkLabel* RzURLLabel1;
    platform::TLinkLabel* RzURLLabel2;
    platform::TGroupBox* GroupBox2;
    platform::TReadOnlyEdit* RzEdit1;
    platform::TReadOnlyEdit* RzEdit2;
    platform::TReadOnlyEdit* RzEdit3;
    platform::TReadOnlyEdit* RzEdit4;
    platform::TLabel* RzLabel1;
    platform::TImage* Image1;
    platform::TLabel* RzLabel2;
    platform::TReadOnlyEdit* RzEdit5;
    platform::TReadOnlyEdit* RzEdit6;

    // "OK": closes the window, which ends its modal showing.
    void Button1Click();
};

// The help window created most recently, or nullptr before the first one.
extern THelpSupport* HelpSupport;

// Creates a fresh help window owned by the application, stores it in HelpSupport, centres it
// over the main window's outer frame and shows it modally; returns once it has been closed.
// An error while creating the window escapes with HelpSupport left empty.
void ShowHelpSupport();
