// What a user-interface backend provides to the forms and controls of the layer: text
// measuring, the frame of a window, the screen, the rendering of changes, timers and the
// waiting for input. It also answers the message boxes and dialogs of Dialogs.h.
#pragma once

#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

class TUiBackend : public TDialogBackend {
public:
    // Size of a text in a font, in design pixels; wrapWidth > 0 wraps at that width.
    virtual TSize MeasureText(const TFont& font, const AnsiString& text, int wrapWidth) = 0;
    // Outer size minus client size of a window with these borders.
    virtual TSize FrameExtent(TFormBorderStyle style, int borderIcons) = 0;
    // The area a window is centred on.
    virtual TRect ScreenArea(TPosition position) = 0;

    virtual void FormShown(TForm& /*form*/) {}
    virtual void FormHidden(TForm& /*form*/) {}
    virtual void FormDestroyed(TForm& /*form*/) {}
    virtual void ControlChanged(TControl& /*control*/, TChange /*what*/) {}
    virtual void ControlDestroyed(TControl& /*control*/) {}
    virtual void FocusChanged(TForm& /*form*/) {}
    // Around a modal loop: the backend disables the other windows and enables them again.
    virtual void ModalBegin(TForm& /*form*/) {}
    virtual void ModalEnd(TForm& /*form*/) {}
    virtual void TimerChanged(TTimer& /*timer*/) {}
    virtual void TimerDestroyed(TTimer& /*timer*/) {}

    // Waits for one message and dispatches it. `modal` is the window of the innermost modal
    // loop, or null in the main loop.
    virtual void HandleMessage(TForm* modal) = 0;
    // The application was asked to end; a waiting backend wakes up.
    virtual void TerminateRequested() {}

    // The folder chooser of the layer (FolderDialog.h), shown modally.
    bool SelectDirectory(AnsiString& folder, bool createIfMissing) override;
    // The platform's dialog for connecting a network drive; false when there is none.
    virtual bool CanConnectNetworkDrive() { return false; }
    virtual void ConnectNetworkDrive() {}
};

// Installs the backend of the forms and of the dialogs (Dialogs.h). Without one, forms are
// measured with a fixed-width font and never shown.
void SetUiBackend(std::unique_ptr<TUiBackend> backend);
TUiBackend& UiBackend();

// A headless backend: fixed-width measuring (6 pixels a character for an 11-pixel font,
// scaled by the height), fixed frames, a 1024 x 768 screen. The test driver builds on it.
class THeadlessBackend : public TUiBackend {
public:
    TSize MeasureText(const TFont& font, const AnsiString& text, int wrapWidth) override;
    TSize FrameExtent(TFormBorderStyle style, int borderIcons) override;
    TRect ScreenArea(TPosition position) override;
    int MessageBox(const TMessageBoxRequest& request) override { return DefaultAnswer(request.Buttons); }
    bool SelectDirectory(AnsiString& /*folder*/, bool /*createIfMissing*/) override { return false; }
    void HandleMessage(TForm* modal) override;
    static constexpr int ScreenWidth = 1024, ScreenHeight = 768;
};
