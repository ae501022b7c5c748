// Installing the backend, the folder chooser every backend shows, and the headless backend.
#include "platform/ui/UiBackend.h"

#include "platform/ui/FolderDialog.h"

#include <algorithm>

void SetUiBackend(std::unique_ptr<TUiBackend> backend) { SetDialogBackend(std::move(backend)); }

TUiBackend& UiBackend() {
    // The archive reader's tests may install a plain dialog backend; forms then measure
    // themselves with the headless rules.
    if (auto* ui = dynamic_cast<TUiBackend*>(&DialogBackend())) return *ui;
    static THeadlessBackend headless;
    return headless;
}

bool TUiBackend::SelectDirectory(AnsiString& folder, bool createIfMissing) {
    TFolderDialog dialog;
    return dialog.Execute(folder, createIfMissing);
}

// ---- THeadlessBackend -------------------------------------------------------------------

namespace {
// The headless font: an 11-pixel font is 6 pixels a character and 13 a line.
constexpr int HeadlessCharWidth = 6;
constexpr int HeadlessFontHeight = 11;
constexpr int HeadlessLineGap = 2;
}  // namespace

TSize THeadlessBackend::MeasureText(const TFont& font, const AnsiString& text, int wrapWidth) {
    const int charWidth = std::max(1, (HeadlessCharWidth * font.Height + HeadlessFontHeight / 2) / HeadlessFontHeight);
    const int lineHeight = font.Height + HeadlessLineGap;
    // Lines of the text, then each wrapped at word boundaries when a width is given.
    int lines = 0, widest = 0;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        AnsiString line = text.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const int width = static_cast<int>(line.size()) * charWidth;
        if (wrapWidth > 0 && width > wrapWidth) {
            const int perLine = std::max(1, wrapWidth / charWidth);
            int used = 0;
            size_t i = 0;
            ++lines;
            while (i < line.size()) {
                size_t wordEnd = line.find(' ', i);
                if (wordEnd == AnsiString::npos) wordEnd = line.size();
                const int word = static_cast<int>(wordEnd - i);
                if (used > 0 && used + 1 + word > perLine) {
                    ++lines;
                    used = 0;
                }
                used += (used > 0 ? 1 : 0) + word;
                while (used > perLine) {
                    ++lines;
                    used -= perLine;
                }
                i = wordEnd + 1;
            }
            widest = std::max(widest, std::min(width, perLine * charWidth));
        } else {
            ++lines;
            widest = std::max(widest, width);
        }
        if (end == AnsiString::npos) break;
        start = end + 1;
    }
    return {widest, lines * lineHeight};
}

TSize THeadlessBackend::FrameExtent(TFormBorderStyle style, int /*borderIcons*/) {
    switch (style) {
        case bsNone: return {0, 0};
        case bsSizeable: return {8, 27};
        default: return {6, 25};
    }
}

TRect THeadlessBackend::ScreenArea(TPosition /*position*/) { return {0, 0, ScreenWidth, ScreenHeight}; }

void THeadlessBackend::HandleMessage(TForm* /*modal*/) {
    // Nobody can answer: the program ends as after a confirmed exit.
    if (TForm* main = Application->MainForm())
        main->CloseWithoutQuery();
    else
        Application->Terminate();
}
