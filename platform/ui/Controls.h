// Controls of the user-interface layer: plain C++ objects that hold their state and their
// event handlers; a backend (UiBackend.h) renders them and feeds user input back. Sizes and
// positions are design pixels at 96 dpi; the win32 backend scales them to the monitor.
#pragma once

#include "platform/rtl/Types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TObject {
public:
    virtual ~TObject() = default;
};

// ---- Colours and fonts ------------------------------------------------------------------

// 0x00BBGGRR as Windows holds it; values with the top bit set name a system colour.
using TColor = uint32_t;
constexpr TColor RGBColor(int r, int g, int b) {
    return static_cast<TColor>(r & 0xFF) | static_cast<TColor>(g & 0xFF) << 8 | static_cast<TColor>(b & 0xFF) << 16;
}
constexpr TColor clSystemColor = 0x80000000u;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clWindow = clSystemColor | 5;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clBlack = RGBColor(0, 0, 0);
constexpr TColor clGray = RGBColor(128, 128, 128);

constexpr int fsBold = 0x01;
constexpr int fsItalic = 0x02;

// Character sets, with the values Windows gives them.
constexpr int fcDefaultCharset = 1;
constexpr int fcRussianCharset = 204;

struct TFont {
    AnsiString Name = "MS Sans Serif";
    int Height = 11;  // character height in pixels at 96 dpi
    int Style = 0;    // fs... bits
    TColor Color = clWindowText;
    int Charset = fcDefaultCharset;
    // Points at 96 dpi: 8 pt are 11 pixels, 20 pt 27 pixels.
    void SetSize(int points) { Height = (points * 96 + 36) / 72; }
    bool operator==(const TFont&) const = default;
};

// ---- Geometry ---------------------------------------------------------------------------

struct TSize {
    int Width = 0, Height = 0;
};
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
constexpr int akLeft = 1, akTop = 2, akRight = 4, akBottom = 8;
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// ---- Keys -------------------------------------------------------------------------------

// Virtual key codes, with the values of Windows.
constexpr uint16_t vkTab = 9;
constexpr uint16_t vkReturn = 13;
constexpr uint16_t vkEscape = 27;
constexpr uint16_t vkSpace = 32;
constexpr uint16_t vkF1 = 112;

using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4;

// ---- Events -----------------------------------------------------------------------------

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

class TForm;
class TWinControl;

// Runs an event handler; an exception that leaves it goes to the application's general
// error report (Forms.h), and false is returned.
bool DispatchEvent(const std::function<void()>& handler);

// ---- Components -------------------------------------------------------------------------

// Something a form owns (controls, timers); destroyed with its owner.
class TComponent : public TObject {
public:
    TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    ~TComponent() override;

    AnsiString Name;
    int Tag = 0;
    TComponent* Owner() const { return FOwner; }

    // Creates a component owned by this one.
    template <typename T>
    T* Create(const AnsiString& name) {
        auto owned = std::make_unique<T>();
        T* raw = owned.get();
        TComponent* base = raw;
        base->FOwner = this;
        base->Name = name;
        FComponents.push_back(std::move(owned));
        base->Created();
        return raw;
    }
    const std::vector<std::unique_ptr<TComponent>>& Components() const { return FComponents; }

protected:
    // Called once the component has its owner and name.
    virtual void Created() {}

private:
    TComponent* FOwner = nullptr;
    std::vector<std::unique_ptr<TComponent>> FComponents;
};

// What changed, so that a backend updates only that.
enum class TChange { Bounds, Text, Visible, Enabled, Font, Items, State, Style };

enum class TControlKind { Label, Bevel, Edit, Button, Panel, Memo, CheckListBox, ProgressBar, ListBox, ComboBox, Icon };

class TControl : public TComponent {
public:
    ~TControl() override;
    virtual TControlKind Kind() const = 0;
    // Labels, bevels and icons have no native window: their parent paints them.
    virtual bool Windowed() const { return true; }

    TWinControl* Parent() const { return FParent; }
    void SetParent(TWinControl* parent);
    TForm* Form() const;

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    // Bounds relative to the form's client area.
    TRect FormRect() const;

    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& text);
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    // Visible, and every parent up to the form too.
    bool Showing() const;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    const TFont& Font() const { return FFont; }
    void SetFont(const TFont& font);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign align);
    int Anchors() const { return FAnchors; }
    void SetAnchors(int anchors);
    int TabOrder = -1;

    // Backend data (a window handle and the like).
    void* Peer = nullptr;

protected:
    void Created() override;
    void Changed(TChange what);
    virtual void TextChanged() {}

private:
    friend class TWinControl;
    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    AnsiString FCaption;
    bool FVisible = true, FEnabled = true;
    TFont FFont;
    TColor FColor = clBtnFace;
    TAlign FAlign = alNone;
    int FAnchors = akLeft | akTop;
    int FRightGap = 0, FBottomGap = 0;  // distances kept by right / bottom anchors
};

// A control that holds others and lays out their alignment and anchors.
class TWinControl : public TControl {
public:
    ~TWinControl() override;
    const std::vector<TControl*>& Controls() const { return FControls; }
    // Client area size (the whole control for panels).
    virtual int ClientWidth() const { return Width(); }
    virtual int ClientHeight() const { return Height(); }
    // Lays out the aligned and anchored children after a size change.
    void Realign();
    bool CanFocus() const;
    void SetFocus();

private:
    friend class TControl;
    std::vector<TControl*> FControls;
    void Insert(TControl* control);
    void Remove(TControl* control);
    int FLaidWidth = -1, FLaidHeight = -1;
};

class TLabel : public TControl {
public:
    TControlKind Kind() const override { return TControlKind::Label; }
    bool Windowed() const override { return false; }
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool on);
    bool Transparent = false;
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment a);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool on);
    // Fits the size to the text: the width for a single line, the height when wrapped.
    void AdjustSize();

protected:
    void TextChanged() override { AdjustSize(); }

private:
    bool FAutoSize = true, FWordWrap = false;
    TAlignment FAlignment = taLeftJustify;
};

// A label with word wrap whose height follows its text (the selection dialog's explanation).
class TStaticText : public TLabel {
public:
    TStaticText() { SetWordWrap(true); }
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine };
class TBevel : public TControl {
public:
    TControlKind Kind() const override { return TControlKind::Bevel; }
    bool Windowed() const override { return false; }
    TBevelShape Shape = bsBox;
};

class TEdit : public TControl {
public:
    TControlKind Kind() const override { return TControlKind::Edit; }
    const AnsiString& Text() const { return Caption(); }
    void SetText(const AnsiString& text) { SetCaption(text); }
    TNotifyEvent OnChange;
    // The user typed: the backend reports the new text.
    void UserSetText(const AnsiString& text);
};

class TButton : public TControl {
public:
    TControlKind Kind() const override { return TControlKind::Button; }
    bool Default() const { return FDefault; }
    void SetDefault(bool on);
    bool Cancel = false;
    int ModalResult = 0;
    TNotifyEvent OnClick;
    // What a press does: the form's modal result, then the click handler.
    void Click();

private:
    bool FDefault = false;
};

enum TBevelCut { bvNone, bvLowered, bvRaised };
class TPanel : public TWinControl {
public:
    TControlKind Kind() const override { return TControlKind::Panel; }
    TBevelCut BevelOuter = bvRaised;
    int BevelWidth = 1;
};

class TMemo : public TControl {
public:
    TControlKind Kind() const override { return TControlKind::Memo; }
    const std::vector<AnsiString>& Lines() const { return FLines; }
    void Clear();
    void Add(const AnsiString& line);
    // The lines joined by CR LF.
    AnsiString Text() const;
    bool ReadOnly = false;
    bool WordWrap = true;
    bool WantReturns = true;
    bool VerticalScrollBar = false;
    int SelStart() const { return FSelStart; }
    void SetSelStart(int position);

private:
    std::vector<AnsiString> FLines;
    int FSelStart = 0;
};

class TCheckListBox : public TControl {
public:
    TControlKind Kind() const override { return TControlKind::CheckListBox; }
    static constexpr int DefaultItemHeight = 13;
    int ItemHeight = DefaultItemHeight;
    // Whole items only: the layout makes the height a multiple of ItemHeight.
    bool IntegralHeight = true;
    int Count() const { return static_cast<int>(FItems.size()); }
    const AnsiString& Item(int index) const;
    void AddItem(const AnsiString& caption);
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
    // Check-change event: fired when the user changes a check (not when the program does).
    TNotifyEvent OnClickCheck;
    // The user toggled item `index`.
    void UserToggle(int index);

private:
    struct TItem {
        AnsiString Caption;
        bool Checked = false;
    };
    std::vector<TItem> FItems;
};

class TProgressBar : public TControl {
public:
    TControlKind Kind() const override { return TControlKind::ProgressBar; }
    int Min() const { return FMin; }
    int Max() const { return FMax; }
    int Position() const { return FPosition; }
    void SetRange(int min, int max);
    void SetMax(int max) { SetRange(FMin, max); }
    void SetPosition(int position);

private:
    int FMin = 0, FMax = 100, FPosition = 0;
};

// A list of texts with one selected item; used by the folder chooser.
class TListBox : public TControl {
public:
    TControlKind Kind() const override { return TControlKind::ListBox; }
    const std::vector<AnsiString>& Items() const { return FItems; }
    void SetItems(std::vector<AnsiString> items);
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int index);
    TNotifyEvent OnClick;     // the user selected an item
    TNotifyEvent OnDblClick;  // the user opened an item
    void UserSelect(int index);
    void UserOpen(int index);

private:
    std::vector<AnsiString> FItems;
    int FItemIndex = -1;
};

// A drop-down list to choose one of its items.
class TComboBox : public TListBox {
public:
    TControlKind Kind() const override { return TControlKind::ComboBox; }
};

enum class TIconKind { None, Warning, Error, Information, Question };
// One of the system's message icons, painted by its parent.
class TIcon : public TControl {
public:
    TControlKind Kind() const override { return TControlKind::Icon; }
    bool Windowed() const override { return false; }
    TIconKind Icon = TIconKind::None;
    static constexpr int Size = 32;
};

// A one-shot or repeating timer; the backend calls Fire when the interval has passed.
class TTimer : public TComponent {
public:
    ~TTimer() override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    int Interval() const { return FInterval; }
    void SetInterval(int milliseconds);
    TNotifyEvent OnTimer;
    void Fire();
    void* Peer = nullptr;

protected:
    void Created() override;

private:
    bool FEnabled = true;
    int FInterval = 1000;
};
