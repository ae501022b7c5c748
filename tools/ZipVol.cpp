// zipvol, the package makers' tool for data volumes: the process around ZipVolMain, with the
// real console (UTF-8 on Linux, the Unicode console on Windows) and the package compiled in
// (the same package file as the setup program of the build), whose volumes pack writes.
#include "platform/os/Console.h"
#include "setup/Package.h"
#include "tools/ZipVolCommand.h"

#include <memory>

namespace {

class TProcessConsole : public TZipVolConsole {
public:
    void Out(const AnsiString& text) override { Console::WriteOut(text); }
    void Err(const AnsiString& text) override { Console::WriteErr(text); }
    bool ReadLine(AnsiString& line) override { return Console::ReadLine(line); }
};

// The package's name and volume count, by the package file's own steps.
TPackTarget CompiledTarget() {
    auto description = std::make_unique<TPackageDescription>();
    CompiledPackage().SetVolumeCount(*description);
    CompiledPackage().SetValues(*description);
    return {description->ProductName, description->VolumeCount};
}

}  // namespace

int main(int argc, char** argv) {
    TProcessConsole console;
    std::vector<AnsiString> args;
    int bad = 0;
    if (!Console::Arguments(argc, argv, args, &bad)) {
        console.Err("zipvol: argument " + std::to_string(bad + 1) +
                    " holds a character that code page 1251 cannot hold\n");
        return ZipVolUnreadable;
    }
    const int code = ZipVolMain(args, console, CompiledTarget());
    console.Out("");
    return code;
}
