// The native Windows backend: a window per form and per windowed control, labels, bevels
// and icons painted by their parent, a real message loop, modal loops that disable the
// other windows, and design pixels (96 dpi) scaled to each window's monitor. Every text
// goes to Windows as UTF-16 converted from CP1251.
#pragma once

#include "platform/ui/UiBackend.h"

#include <map>
#include <memory>

class TWin32Backend : public TUiBackend {
public:
    explicit TWin32Backend(void* instance);
    ~TWin32Backend() override;

    TSize MeasureText(const TFont& font, const AnsiString& text, int wrapWidth) override;
    TSize FrameExtent(TFormBorderStyle style, int borderIcons) override;
    TRect ScreenArea(TPosition position) override;

    int MessageBox(const TMessageBoxRequest& request) override;
    bool OpenFile(const AnsiString& title, const AnsiString& filter, const AnsiString& initialDir,
                  AnsiString& fileName) override;
    void ProcessMessages() override;
    void SetBusyCursor(bool busy) override;
    bool CanConnectNetworkDrive() override { return true; }
    void ConnectNetworkDrive() override;

    void FormShown(TForm& form) override;
    void FormHidden(TForm& form) override;
    void FormDestroyed(TForm& form) override;
    void ControlChanged(TControl& control, TChange what) override;
    void FocusChanged(TForm& form) override;
    void ModalBegin(TForm& form) override;
    void ModalEnd(TForm& form) override;
    void TimerChanged(TTimer& timer) override;
    void TimerDestroyed(TTimer& timer) override;
    void HandleMessage(TForm* modal) override;
    void TerminateRequested() override;

    struct TImpl;

private:
    std::unique_ptr<TImpl> FImpl;
};
