// The test driver: scripted answers, records and the virtual clock.
#include "platform/ui/testdriver/TestDriver.h"

#include "platform/ui/FolderDialog.h"

TTestDriver& TTestDriver::Install() {
    auto driver = std::make_unique<TTestDriver>();
    TTestDriver& ref = *driver;
    SetUiBackend(std::move(driver));
    return ref;
}

void TTestDriver::AnswerBoxes(std::initializer_list<int> answers) {
    for (int answer : answers) FAnswers.push_back({answer, nullptr});
}

void TTestDriver::AnswerBox(int answer, std::function<void()> before) { FAnswers.push_back({answer, std::move(before)}); }

int TTestDriver::MessageBox(const TMessageBoxRequest& request) {
    int answer = DefaultAnswer(request.Buttons);
    if (!FAnswers.empty()) {
        const TScriptedAnswer next = std::move(FAnswers.front());
        FAnswers.pop_front();
        if (next.Before) next.Before();
        answer = next.Answer;
    }
    Boxes.push_back({request.Type, request.Caption, request.Text, request.Buttons, answer});
    return answer;
}

void TTestDriver::OnModal(TModalAction action) { FModalActions.push_back(std::move(action)); }

TTestDriver::TModalAction TTestDriver::ChooseFolder(const AnsiString& typed) {
    return [typed](TForm& form) {
        auto& dialog = dynamic_cast<TFolderDialog&>(form);
        Type(*dialog.Edit1, typed);
        Click(*dialog.OkButton);
    };
}

TTestDriver::TModalAction TTestDriver::CancelDialog() {
    return [](TForm& form) {
        if (TButton* cancel = form.CancelButton()) Click(*cancel);
    };
}

bool TTestDriver::SelectDirectory(AnsiString& folder, bool createIfMissing) {
    FolderDialogStarts.push_back(folder);
    return TUiBackend::SelectDirectory(folder, createIfMissing);
}

bool TTestDriver::Click(TButton& button) {
    if (!button.Showing() || !button.Enabled()) return false;
    DispatchEvent([&] { button.Click(); });
    return true;
}

bool TTestDriver::Type(TEdit& edit, const AnsiString& text) {
    if (!edit.Showing() || !edit.Enabled()) return false;
    edit.UserSetText(text);
    return true;
}

bool TTestDriver::ToggleCheck(TCheckListBox& list, int index) {
    if (!list.Showing() || !list.Enabled() || index < 0 || index >= list.Count()) return false;
    list.UserToggle(index);
    return true;
}

void TTestDriver::PressKey(TForm& form, uint16_t key, TShiftState shift) {
    if (form.KeyDown(key, shift)) return;
    if (key == vkReturn || key == vkEscape || (key >= 32 && key < 127)) form.KeyPress(static_cast<char>(key));
}

void TTestDriver::CloseBox(TForm& form) { DispatchEvent([&] { form.Close(); }); }

void TTestDriver::FormShown(TForm& form) {
    ShownForms.push_back(&form);
    if (form.Modal()) ModalForms.push_back(&form);
    form.Activate();
}

void TTestDriver::TimerChanged(TTimer& timer) {
    if (timer.Enabled())
        FDue[&timer] = FNow + timer.Interval();
    else
        FDue.erase(&timer);
}

void TTestDriver::TimerDestroyed(TTimer& timer) { FDue.erase(&timer); }

bool TTestDriver::TimerPending() const { return !FDue.empty(); }

bool TTestDriver::FireNextTimer(long long limit) {
    TTimer* next = nullptr;
    long long due = 0;
    for (const auto& [timer, at] : FDue)
        if (at <= limit && (!next || at < due)) {
            next = timer;
            due = at;
        }
    if (!next) return false;
    if (due > FNow) FNow = due;
    FDue[next] = FNow + next->Interval();
    next->Fire();
    return true;
}

void TTestDriver::AdvanceTime(int milliseconds) {
    const long long until = FNow + milliseconds;
    while (FireNextTimer(until)) {
    }
    FNow = until;
}

void TTestDriver::HandleMessage(TForm* modal) {
    if (modal && !FModalActions.empty()) {
        TModalAction action = std::move(FModalActions.front());
        FModalActions.pop_front();
        DispatchEvent([&] { action(*modal); });
        return;
    }
    // Nothing scripted: a pending timer fires first, as it would while the user waits.
    if (FireNextTimer(FNow + (1LL << 40))) return;
    if (modal && !FClosedOnce[modal]) {
        FClosedOnce[modal] = true;
        modal->Close();
        return;
    }
    FClosedOnce.clear();
    THeadlessBackend::HandleMessage(modal);
}
