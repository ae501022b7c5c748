// The recording dialog backend.
#include "tests/common/RecordingDialogs.h"

namespace {

class TRecordingBackend : public TDialogBackend {
public:
    explicit TRecordingBackend(TRecordingDialogs& owner) : FOwner(owner) {}
    int MessageBox(const TMessageBoxRequest& request) override {
        FOwner.Boxes.push_back(request);
        return FOwner.Answer ? FOwner.Answer(request) : DefaultAnswer(request.Buttons);
    }
    void ProcessMessages() override { ++FOwner.ProcessMessagesCalls; }
    void SetBusyCursor(bool busy) override { FOwner.BusyCursor.push_back(busy); }
    bool OpenFile(const AnsiString&, const AnsiString&, const AnsiString&, AnsiString& fileName) override {
        if (FOwner.OpenFileAnswer.empty()) return false;
        fileName = FOwner.OpenFileAnswer;
        return true;
    }
    bool SelectDirectory(AnsiString& folder, bool) override {
        if (FOwner.SelectDirectoryAnswer.empty()) return false;
        folder = FOwner.SelectDirectoryAnswer;
        return true;
    }

private:
    TRecordingDialogs& FOwner;
};

}  // namespace

TRecordingDialogs::TRecordingDialogs(TAnswer answer) : Answer(std::move(answer)) {
    SetDialogBackend(std::make_unique<TRecordingBackend>(*this));
}

TRecordingDialogs::~TRecordingDialogs() { SetDialogBackend(nullptr); }
