// The terminal's text forms of windows and boxes, and its command lines.
#include "platform/ui/tty/TtyBackend.h"

#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <thread>

// GCC 12 reports a false overlap in "literal" + temporary string concatenations at -O3
// (its bug 105329); the texts built here are many such concatenations.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wrestrict"
#endif

namespace {

constexpr int ProgressBarCells = 40;
// Labels this close with the same text are a title and its shadow: shown once.
constexpr int ShadowDistance = 3;

// "[n] ", built by appending (GCC 12 warns falsely about a literal + a temporary here).
AnsiString Tag(int64_t number) {
    AnsiString tag = "[";
    tag += IntToStr(number);
    tag += "] ";
    return tag;
}

const char* const Help =
    "Ввод: номер кнопки или пункта; номер поля, пробел и новый текст; пустая строка - "
    "кнопка по умолчанию; esc, f1, close - клавиши Esc, F1 и закрытие окна.";

bool TakesNumber(const TControl& c) {
    switch (c.Kind()) {
        case TControlKind::Edit:
        case TControlKind::Button: return true;
        default: return false;
    }
}

}  // namespace

TTtyBackend::TTtyBackend(std::istream& in, std::ostream& out) : FIn(in), FOut(out) {}

void TTtyBackend::Write(const AnsiString& text) {
    FOut << Cp1251ToUtf8(text);
    FOut.flush();
}

bool TTtyBackend::ReadLine(AnsiString& line) {
    if (FEndOfInput) return false;
    std::string raw;
    if (!std::getline(FIn, raw)) {
        FEndOfInput = true;
        Write("\n(конец ввода)\n");
        return false;
    }
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (!TryUtf8ToCp1251(raw, line)) {
        // Not UTF-8 or not CP1251: the line cannot name anything; it is answered as unknown.
        line.assign(1, '\x01');
    }
    return true;
}

int TTtyBackend::MessageBox(const TMessageBoxRequest& request) {
    const std::vector<TDialogButton> buttons = DialogButtons(request.Buttons);
    AnsiString text = "\n+-- " + request.Caption + " --\n";
    AnsiString body = request.Text;
    for (size_t i = 0; (i = body.find("\r\n", i)) != AnsiString::npos;) body.replace(i, 2, 1, '\n');
    size_t start = 0;
    for (;;) {
        const size_t end = body.find('\n', start);
        text += "| " + body.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start) + "\n";
        if (end == AnsiString::npos) break;
        start = end + 1;
    }
    text += "|";
    const int defaultResult = DefaultButtonResult(request.Buttons);
    for (size_t i = 0; i < buttons.size(); ++i)
        text += " " + Tag(static_cast<int64_t>(i + 1)) + buttons[i].Caption +
                (buttons[i].Result == defaultResult ? "*" : "");
    Write(text + "\n");
    for (;;) {
        Write("> ");
        AnsiString line;
        if (!ReadLine(line)) {
            const int answer = DefaultAnswer(request.Buttons);
            for (const TDialogButton& b : buttons)
                if (b.Result == answer) Write("(" + b.Caption + ")\n");
            return answer;
        }
        const AnsiString answer = Trim(line);
        if (answer.empty()) return defaultResult;
        int32_t number = 0;
        if (TryStrToInt(answer, number) && number >= 1 && number <= static_cast<int32_t>(buttons.size()))
            return buttons[static_cast<size_t>(number - 1)].Result;
        for (const TDialogButton& b : buttons)
            if (AnsiSameText(answer, b.Caption)) return b.Result;
        Write("Ответьте номером кнопки или её названием.\n");
    }
}

bool TTtyBackend::SelectDirectory(AnsiString& folder, bool createIfMissing) {
    return TUiBackend::SelectDirectory(folder, createIfMissing);
}

bool TTtyBackend::OpenFile(const AnsiString& title, const AnsiString&, const AnsiString& initialDir,
                           AnsiString& fileName) {
    Write("\n+-- " + title + " --\n| Имя файла (в каталоге " + initialDir + "), пустая строка - отмена\n> ");
    AnsiString line;
    if (!ReadLine(line) || Trim(line).empty()) return false;
    fileName = Trim(line);
    if (!(fileName.size() > 1 && (fileName[0] == '\\' || fileName[1] == ':')))
        fileName = IncludeTrailingBackslash(initialDir) + fileName;
    return true;
}

void TTtyBackend::FormShown(TForm& form) {
    FShown.erase(std::remove(FShown.begin(), FShown.end(), &form), FShown.end());
    FShown.push_back(&form);
    FDirty = true;
    // The window appears as it is shown, so that windows that work without waiting (the run
    // window) are seen too.
    std::vector<TAction> actions;
    Write(Render(form, actions));
    FLastRendered = &form;
    FActions = std::move(actions);
    FDirty = false;
    form.Activate();
}

void TTtyBackend::FormHidden(TForm& form) {
    FShown.erase(std::remove(FShown.begin(), FShown.end(), &form), FShown.end());
    FDirty = true;
}

void TTtyBackend::FormDestroyed(TForm& form) {
    FShown.erase(std::remove(FShown.begin(), FShown.end(), &form), FShown.end());
    if (FLastRendered == &form) FLastRendered = nullptr;
    FActions.clear();
}

void TTtyBackend::ControlChanged(TControl&, TChange) { FDirty = true; }

void TTtyBackend::TimerChanged(TTimer& timer) {
    if (timer.Enabled())
        FDue[&timer] = std::chrono::steady_clock::now() + std::chrono::milliseconds(timer.Interval());
    else
        FDue.erase(&timer);
}

void TTtyBackend::TimerDestroyed(TTimer& timer) { FDue.erase(&timer); }

TForm* TTtyBackend::ActiveForm(TForm* modal) const {
    if (modal) return modal;
    for (auto it = FShown.rbegin(); it != FShown.rend(); ++it)
        if ((*it)->Visible()) return *it;
    return Application->MainForm();
}

AnsiString TTtyBackend::Render(TForm& form, std::vector<TAction>& actions) const {
    actions.clear();
    AnsiString out = "\n=== " + form.Caption() + " ===\n";
    std::vector<TControl*> controls;
    for (TControl* c : form.AllControls())
        if (c->Showing() && !dynamic_cast<TPanel*>(c)) controls.push_back(c);
    std::stable_sort(controls.begin(), controls.end(), [](const TControl* a, const TControl* b) {
        const TRect ra = a->FormRect(), rb = b->FormRect();
        // Controls on one row (their tops within a few pixels) are read left to right.
        if (std::abs(ra.Top - rb.Top) > 6) return ra.Top < rb.Top;
        return ra.Left < rb.Left;
    });
    std::vector<const TLabel*> printed;
    AnsiString row;
    auto flushRow = [&] {
        if (!row.empty()) out += " " + row + "\n";
        row.clear();
    };
    for (TControl* c : controls) {
        const int number = static_cast<int>(actions.size()) + 1;
        if (TakesNumber(*c)) actions.push_back({c, -1});
        const AnsiString tag = Tag(number);
        switch (c->Kind()) {
            case TControlKind::Button: {
                auto* b = static_cast<TButton*>(c);
                row += (row.empty() ? "" : "  ") + tag + b->Caption() + (b->Default() ? "*" : "") +
                       (b->Enabled() ? "" : " (недоступна)");
                break;
            }
            case TControlKind::Label: {
                flushRow();
                auto* l = static_cast<TLabel*>(c);
                if (l->Caption().empty()) break;
                const TRect r = l->FormRect();
                const bool shadow = std::any_of(printed.begin(), printed.end(), [&](const TLabel* p) {
                    const TRect pr = p->FormRect();
                    return p->Caption() == l->Caption() && std::abs(pr.Left - r.Left) <= ShadowDistance &&
                           std::abs(pr.Top - r.Top) <= ShadowDistance;
                });
                if (!shadow) out += l->Caption() + "\n";
                printed.push_back(l);
                break;
            }
            case TControlKind::Bevel:
                flushRow();
                out += AnsiString(60, '-') + "\n";
                break;
            case TControlKind::Edit:
                flushRow();
                out += " " + tag + "поле: " + static_cast<TEdit*>(c)->Text() + "\n";
                break;
            case TControlKind::Memo:
                flushRow();
                for (const AnsiString& line : static_cast<TMemo*>(c)->Lines()) out += "  " + line + "\n";
                out += AnsiString(60, '.') + "\n";
                break;
            case TControlKind::CheckListBox: {
                flushRow();
                auto* list = static_cast<TCheckListBox*>(c);
                for (int i = 0; i < list->Count(); ++i) {
                    actions.push_back({c, i});
                    out += " " + Tag(static_cast<int64_t>(actions.size())) + "[" +
                           (list->Checked(i) ? "x" : " ") + "] " + list->Item(i) + "\n";
                }
                break;
            }
            case TControlKind::ListBox:
            case TControlKind::ComboBox: {
                flushRow();
                auto* list = static_cast<TListBox*>(c);
                if (!list->Enabled()) {
                    AnsiString names;
                    for (const AnsiString& name : list->Items()) names += (names.empty() ? "" : ", ") + name;
                    if (!names.empty()) out += "  (" + names + ")\n";
                    break;
                }
                for (size_t i = 0; i < list->Items().size(); ++i) {
                    actions.push_back({c, static_cast<int>(i)});
                    out += " " + Tag(static_cast<int64_t>(actions.size())) +
                           (static_cast<int>(i) == list->ItemIndex() ? "> " : "  ") + list->Items()[i] + "\n";
                }
                break;
            }
            case TControlKind::ProgressBar: {
                flushRow();
                auto* bar = static_cast<TProgressBar*>(c);
                const int span = std::max(1, bar->Max() - bar->Min());
                const int filled = (bar->Position() - bar->Min()) * ProgressBarCells / span;
                out += " [" + AnsiString(static_cast<size_t>(filled), '#') +
                       AnsiString(static_cast<size_t>(ProgressBarCells - filled), '.') + "] " +
                       IntToStr((bar->Position() - bar->Min()) * 100 / span) + "%\n";
                break;
            }
            default: break;
        }
    }
    flushRow();
    if (!actions.empty() || form.DefaultButton()) out += AnsiString(Help) + "\n";
    return out;
}

void TTtyBackend::Command(TForm& form, const AnsiString& line) {
    const AnsiString command = Trim(line);
    const AnsiString lower = AnsiLowerCase(command);
    if (command.empty()) {
        if (!form.KeyDown(vkReturn, 0)) form.KeyPress('\r');
        return;
    }
    if (lower == "esc") {
        if (!form.KeyDown(vkEscape, 0)) form.KeyPress(static_cast<char>(vkEscape));
        return;
    }
    if (lower == "f1") {
        form.KeyDown(vkF1, 0);
        return;
    }
    if (lower == "close") {
        DispatchEvent([&] { form.Close(); });
        return;
    }
    const size_t space = command.find(' ');
    int32_t number = 0;
    if (TryStrToInt(command.substr(0, space), number) && number >= 1 &&
        number <= static_cast<int32_t>(FActions.size())) {
        const TAction action = FActions[static_cast<size_t>(number - 1)];
        TControl* c = action.Control;
        if (!c->Showing() || !c->Enabled()) {
            Write("Недоступно.\n");
            return;
        }
        switch (c->Kind()) {
            case TControlKind::Button:
                DispatchEvent([&] { static_cast<TButton*>(c)->Click(); });
                return;
            case TControlKind::Edit: {
                AnsiString text = space == AnsiString::npos ? AnsiString() : command.substr(space + 1);
                if (space == AnsiString::npos) {
                    Write("Новый текст поля: ");
                    if (!ReadLine(text)) return;
                }
                form.SetActiveControl(c);
                static_cast<TEdit*>(c)->UserSetText(text);
                return;
            }
            case TControlKind::CheckListBox: static_cast<TCheckListBox*>(c)->UserToggle(action.Item); return;
            case TControlKind::ComboBox: static_cast<TListBox*>(c)->UserSelect(action.Item); return;
            case TControlKind::ListBox: static_cast<TListBox*>(c)->UserOpen(action.Item); return;
            default: return;
        }
    }
    Write("Неизвестная команда: " + command + "\n");
}

void TTtyBackend::HandleMessage(TForm* modal) {
    // A pending timer fires first: the user is still waiting when it comes due.
    if (!FDue.empty()) {
        auto next = std::min_element(FDue.begin(), FDue.end(),
                                     [](const auto& a, const auto& b) { return a.second < b.second; });
        TTimer* timer = next->first;
        std::this_thread::sleep_until(next->second);
        FDue[timer] = std::chrono::steady_clock::now() + std::chrono::milliseconds(timer->Interval());
        timer->Fire();
        return;
    }
    TForm* form = ActiveForm(modal);
    if (!form) {
        Application->Terminate();
        return;
    }
    if (FDirty || FLastRendered != form) {
        std::vector<TAction> actions;
        Write(Render(*form, actions));
        FActions = std::move(actions);
        FLastRendered = form;
        FDirty = false;
    }
    Write("> ");
    AnsiString line;
    if (!ReadLine(line)) {
        THeadlessBackend::HandleMessage(modal);
        return;
    }
    Command(*form, line);
}
