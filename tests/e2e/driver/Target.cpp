#include "Target.h"

namespace kestrap::e2e {

namespace {

constexpr char MainTitle[] = "Orvane Kestrap";
constexpr UINT AnswerTimeoutMs = 5000;

bool unanswered = false;

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleTopLevel(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::string ToAnsi(const std::wstring& wide) {
    if (wide.empty()) return {};
    int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), size,
                        nullptr, nullptr);
    return ansi;
}

std::wstring ToWide(const std::string& ansi) {
    if (ansi.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), size);
    return wide;
}

std::wstring PathToWide(const std::string& path) {
    const int length = static_cast<int>(path.size());
    int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, nullptr, 0);
    if (size <= 0) return ToWide(path);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, wide.data(), size);
    return wide;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SetLastError(ERROR_SUCCESS);
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, AnswerTimeoutMs, &result)) {
        // a window that has just gone away fails too; only a time-out means a hung program
        if (GetLastError() == ERROR_TIMEOUT) unanswered = true;
        return 0;
    }
    return static_cast<LRESULT>(result);
}

bool TakeUnanswered() {
    bool was = unanswered;
    unanswered = false;
    return was;
}

std::string WindowText(HWND window) {
    auto length = Send(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    auto copied = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return ToAnsi(text);
}

std::string ClassName(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool Target::Start(const std::string& exePath, const std::string& outputPath,
                   const std::string& arguments) {
    std::wstring exe = PathToWide(exePath);
    std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + ToWide(arguments);
    // The child must not inherit the driver's stdout: a crash report there would end up
    // in the middle of the answers.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    OwnedFile output(CreateFileW(PathToWide(outputPath).c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    OwnedFile input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                OPEN_EXISTING, 0, nullptr));
    if (!output.valid() || !input.valid()) return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    PROCESS_INFORMATION info{};
    BOOL started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                  nullptr, folder.empty() ? nullptr : folder.c_str(), &startup, &info);
    if (!started) return false;
    OwnedHandle thread(info.hThread);
    process = OwnedHandle(info.hProcess);
    processId = info.dwProcessId;
    mainWindow = nullptr;
    return true;
}

bool Target::Alive() const {
    return process.valid() && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

bool Target::WaitForExit(DWORD timeoutMs, DWORD& exitCode) const {
    if (!process.valid() || WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    GetExitCodeProcess(process.get(), &exitCode);
    return true;
}

void Target::Kill() {
    if (Alive()) TerminateProcess(process.get(), 99);
}

HWND Target::FindMainWindow() const {
    for (HWND window : VisibleTopLevel(processId))
        if (WindowText(window) == MainTitle) return window;
    return nullptr;
}

HWND Target::WaitForMainWindow(DWORD timeoutMs) {
    PollUntil(timeoutMs, [&] { return (mainWindow = FindMainWindow()) != nullptr || !Alive(); });
    return mainWindow;
}

HWND Target::Control(int id) const {
    return mainWindow ? GetDlgItem(mainWindow, id) : nullptr;
}

std::vector<HWND> Target::Boxes() const {
    std::vector<HWND> boxes;
    for (HWND window : VisibleTopLevel(processId))
        if (ClassName(window) == "#32770" && WindowText(window) != MainTitle) boxes.push_back(window);
    return boxes;
}

HWND Target::WaitForBox(const std::string& caption, DWORD timeoutMs) const {
    HWND box = nullptr;
    PollUntil(timeoutMs, [&] {
        for (HWND window : Boxes())
            if (WindowText(window) == caption) box = window;
        return box != nullptr || !Alive();
    });
    return box;
}

}  // namespace kestrap::e2e
