// Forms and the application object of the user-interface layer: window state, showing and
// modal showing with modal results, the close query, keyboard preview, the message loop and
// the application's general error report. The backend (UiBackend.h) does the waiting.
#pragma once

#include "platform/ui/Controls.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Dialogs.h"

#include <exception>

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
constexpr int biSystemMenu = 1, biMinimize = 2, biMaximize = 4;
enum TPosition { poDesigned, poScreenCenter, poDesktopCenter };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

SETUP_EXCEPTION_CLASS(EInvalidOperation, Exception);

class TForm : public TWinControl {
public:
    TForm();
    ~TForm() override;
    TControlKind Kind() const override { return TControlKind::Panel; }

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    int BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(int icons);
    TPosition Position = poDesigned;
    bool KeyPreview = false;
    // Smallest outer size the user may give a sizeable window (0: none).
    int MinWidth = 0, MinHeight = 0;

    // The client area; the outer size adds the frame the backend draws.
    int ClientWidth() const override { return Width(); }
    int ClientHeight() const override { return Height(); }
    void SetClientSize(int width, int height) { SetBounds(Left(), Top(), width, height); }
    void SetClientWidth(int width) { SetClientSize(width, Height()); }
    void SetClientHeight(int height) { SetClientSize(Width(), height); }
    int OuterWidth() const;
    int OuterHeight() const;
    void SetOuterSize(int width, int height);
    // Position of the outer window on the screen.
    int ScreenLeft() const { return FScreenLeft; }
    int ScreenTop() const { return FScreenTop; }
    void SetScreenPos(int left, int top);
    // The design outer width of the window; the client width follows.
    void SetOuterWidth(int width) { SetOuterSize(width, OuterHeight()); }

    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState state);

    TControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TControl* control);

    void Show();
    void Hide();
    // Shows the window modally and returns its modal result once it has closed.
    int ShowModal();
    bool Modal() const { return FModal; }
    int ModalResult = 0;
    // A close request: modal windows end with mrCancel; others ask OnCloseQuery, then OnClose.
    void Close();
    // Asks OnCloseQuery; true when the window may close.
    bool CloseQuery();
    // The end of a modal loop once ModalResult is set: the close query may refuse it.
    void CloseModal();
    // Ends the window as a confirmed close would, without the close query (the terminal's
    // end of input).
    void CloseWithoutQuery();

    // Keys as the backend reports them; true when the key was consumed (key preview, the
    // default button on Enter, the cancel button on Esc).
    bool KeyDown(uint16_t key, TShiftState shift);
    bool KeyPress(char key);
    // The button pressed by Enter, the one pressed by Esc (null when there is none).
    TButton* DefaultButton() const;
    TButton* CancelButton() const;
    // Every control of the window, in creation order, children after their parent.
    std::vector<TControl*> AllControls() const;
    // Controls that take the focus, in tab order.
    std::vector<TControl*> TabOrderList() const;

    // Fired by the backend when the window becomes the active one.
    void Activate();

    TNotifyEvent OnCreate, OnShow, OnHide, OnActivate, OnDestroy;
    TCloseQueryEvent OnCloseQuery;
    TCloseEvent OnClose;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;

    void* FormPeer = nullptr;

protected:
    void TextChanged() override;

private:
    friend class TApplication;
    void DoClose(TCloseAction& action);
    void PlaceOnScreen();
    TFormBorderStyle FBorderStyle = bsSizeable;
    int FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TWindowState FWindowState = wsNormal;
    TControl* FActiveControl = nullptr;
    int FScreenLeft = 0, FScreenTop = 0;
    bool FModal = false, FPlaced = false;
};

class TApplication {
public:
    const AnsiString& Title() const { return ApplicationTitle(); }
    void SetTitle(const AnsiString& title) { SetApplicationTitle(title); }

    // Creates a window owned by the application and runs its OnCreate; the first one is
    // the main window.
    template <typename T>
    T* CreateForm(T*& reference) {
        auto form = std::make_unique<T>();
        reference = form.get();
        AddForm(std::move(form));
        return reference;
    }
    TForm* MainForm() const { return FMainForm; }
    const std::vector<std::unique_ptr<TForm>>& Forms() const { return FForms; }

    // Shows the main window (unless the program was asked to end already) and handles
    // messages until it is.
    void Run();
    // Handles one message, waiting for it.
    void HandleMessage();
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return FTerminated; }

    // The general error report: the message in a box captioned with the title, error icon,
    // button OK; a full stop is added when the last character sorts after the full stop.
    void ShowException(const std::exception& error);
    static AnsiString ErrorReportText(const AnsiString& message);

    // Destroys every window (the main window last) and forgets the terminate request; the
    // program's end and the tests' teardown.
    void DestroyForms();

private:
    void AddForm(std::unique_ptr<TForm> form);
    std::vector<std::unique_ptr<TForm>> FForms;
    TForm* FMainForm = nullptr;
    bool FTerminated = false;
};

extern TApplication* const Application;
