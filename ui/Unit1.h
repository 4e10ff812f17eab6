#pragma once

#include <memory>

#include "catalogue/StreamCatalogue.h"
#include "platform/Controls.h"
#include "platform/Form.h"
#include "platform/OpenDialog.h"

// The main window: the stream list, the command buttons, the progress bar and the status bar.
// Each handler routes one user action to its command; the commands show their results in these
// controls. Every control carries its own name as its object name.
class TForm1 : public platform::TForm {
  public:
    TForm1();
    ~TForm1() override;

    platform::TProgressBar* ProgressBar1;
    platform::TButton* Button1;
    platform::TListBox* ListBox1;
    platform::TStatusBar* StatusBar1;
    std::unique_ptr<platform::TOpenDialog> OpenDialog1;
    platform::TButton* Button2;
    platform::TButton* Button3;
    platform::TButton* Button5;
    platform::TButton* Button4;

    // "Open File": choose a container and scan it.
    void Button1Click();
    // "Stop": stop the sound.
    void Button2Click();
    // A double-click in the list, "Play", and Enter in the list play the selected stream.
    void ListBox1DblClick();
    void Button3Click();
    // "Convert to Wav": convert the selected stream into a WAV file beside the program.
    void Button5Click();
    void ListBox1KeyPress(char& Key);
    // "Help / Support ": the help window, modally.
    void Button4Click();
};

// The main window, from its creation at start-up until the application destroys it.
extern TForm1* Form1;

// The streams of the open container. Row i of Form1->ListBox1 describes entry i.
extern StreamCatalogue Catalogue;
