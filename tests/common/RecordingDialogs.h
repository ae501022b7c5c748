// A dialog backend for tests: records every message box and answers it through a function
// the test gives (default: the answer of closing the box). Installed for the lifetime of the
// object; the default backend is back afterwards.
#pragma once

#include "platform/ui/Dialogs.h"

#include <functional>
#include <vector>

class TRecordingDialogs {
public:
    using TAnswer = std::function<int(const TMessageBoxRequest&)>;

    explicit TRecordingDialogs(TAnswer answer = {});
    ~TRecordingDialogs();
    TRecordingDialogs(const TRecordingDialogs&) = delete;
    TRecordingDialogs& operator=(const TRecordingDialogs&) = delete;

    std::vector<TMessageBoxRequest> Boxes;
    int ProcessMessagesCalls = 0;
    std::vector<bool> BusyCursor;  // every SetBusyCursor call
    TAnswer Answer;
    // Answers of the open-file and folder dialogs; empty: cancelled.
    AnsiString OpenFileAnswer;
    AnsiString SelectDirectoryAnswer;
};
