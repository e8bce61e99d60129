#include "app/MainWindow.h"

#include <commctrl.h>

#include <string_view>
#include <system_error>
#include <thread>

#include "app/SettingsSteps.h"
#include "app/State.h"
#include "app/UpdateOffer.h"
#include "app/Window.h"
#include "common/Version.h"

namespace kestrap {
namespace {

// predefined dialog control classes, as atoms
constexpr WORD ButtonClass = 0x0080;
constexpr WORD EditClass = 0x0081;
constexpr WORD StaticClass = 0x0082;
constexpr WORD ListBoxClass = 0x0083;
constexpr WORD ComboBoxClass = 0x0085;

constexpr DWORD MainWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                  WS_CLIPSIBLINGS | DS_MODALFRAME | DS_3DLOOK | DS_NOFAILCREATE |
                                  DS_CENTER | DS_SETFONT;
constexpr DWORD MainWindowExStyle = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE | WS_EX_CONTEXTHELP;
constexpr DWORD ListEditStyle =
    ES_MULTILINE | ES_WANTRETURN | ES_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD ButtonStyle = BS_PUSHBUTTON | WS_TABSTOP;

struct ControlSpec {
    int id;
    WORD atom;                  // 0: className names the class
    const char* className;
    const char* text;
    short x, y, w, h;
    DWORD style;                // beyond WS_CHILD | WS_VISIBLE
    DWORD exStyle;
};

const ControlSpec Controls[] = {
    {IDC_RESULTS_FILE_LABEL, StaticClass, nullptr, "Results file:", 6, 7, 44, 10, SS_LEFT, 0},
    {IDC_RESULTS_FILE, ComboBoxClass, nullptr, "", 50, 5, 85, 140,
     CBS_DROPDOWN | CBS_SORT | WS_VSCROLL | WS_TABSTOP, 0},
    {IDC_LOAD, ButtonClass, nullptr, "Load", 140, 5, 35, 15, ButtonStyle, 0},
    {IDC_SAVE, ButtonClass, nullptr, "Save", 180, 5, 35, 15, ButtonStyle, 0},
    {IDC_SEARCH, ButtonClass, nullptr, "Search Now", 255, 5, 55, 15, ButtonStyle, 0},
    {IDC_RESULTS_LIST, ListBoxClass, nullptr, "", 5, 25, 305, 65,
     LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE},
    {IDC_CITIES_LABEL, StaticClass, nullptr, "Search cities:", 5, 95, 70, 10, SS_LEFT, 0},
    {IDC_CITIES, EditClass, nullptr, "", 5, 105, 180, 78, ListEditStyle, WS_EX_CLIENTEDGE},
    {IDC_TERMS_LABEL, StaticClass, nullptr, "Search terms:", 190, 95, 70, 10, SS_LEFT, 0},
    {IDC_TERMS, EditClass, nullptr, "", 190, 105, 120, 78, ListEditStyle, WS_EX_CLIENTEDGE},
    {IDC_STATUS1, StaticClass, nullptr,
     "Tool by Orvane (www.orvane.net), Version " KESTRAP_VERSION_TEXT, 5, 190, 305, 10, SS_LEFT, 0},
    {IDC_STATUS2, StaticClass, nullptr,
     "Donations through PayPath to donate@orvane.net keep this tool free.",
     5, 200, 305, 10, SS_LEFT, 0},
    {IDC_STATUS3, StaticClass, nullptr, "Enjoy!", 5, 210, 305, 10, SS_LEFT, 0},
    {IDC_PROGRESS, 0, PROGRESS_CLASSA, nullptr, 5, 220, 305, 10, PBS_SMOOTH | WS_BORDER, 0},
};

void PutDword(std::vector<WORD>& out, DWORD value) {
    out.push_back(LOWORD(value));
    out.push_back(HIWORD(value));
}

// the template's texts are plain ASCII, so widening byte by byte is exact
void PutText(std::vector<WORD>& out, std::string_view text) {
    for (char c : text) out.push_back(static_cast<unsigned char>(c));
    out.push_back(0);
}

void AlignToDword(std::vector<WORD>& out) {
    if (out.size() % 2 != 0) out.push_back(0);
}

HFONT CreateBoldSearchFont() {
    HDC screen = GetDC(nullptr);
    const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    LOGFONTA font{};
    font.lfHeight = -(pixelsPerInch * 8) / 72;
    font.lfWeight = FW_BOLD;
    lstrcpynA(font.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

void StartProgram(MainWindowShell& shell, HWND dialog) {
    LoadSettings(*shell.state, *shell.window);
    // the window's end stops the check at once: nobody waits for the page then
    try {
        shell.updateCheck = std::jthread([&shell](std::stop_token stop) {
            HttpOptions http = shell.state->http;
            http.stop = stop;
            http.abandon = stop;
            CheckForUpdate(*shell.window, http);
        });
    } catch (const std::system_error&) {
        // no check this time
    }
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "HLBICON");
    if (icon) SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

}  // namespace

std::vector<WORD> MainWindowTemplate() {
    std::vector<WORD> out;
    PutDword(out, MainWindowStyle);
    PutDword(out, MainWindowExStyle);
    out.push_back(static_cast<WORD>(std::size(Controls)));
    for (short v : {short{0}, short{0}, short{315}, short{234}}) out.push_back(static_cast<WORD>(v));
    out.push_back(0);  // no menu
    out.push_back(0);  // the standard dialog class
    PutText(out, "Orvane Kestrap");
    out.push_back(8);
    PutText(out, "MS Sans Serif");

    for (const ControlSpec& c : Controls) {
        AlignToDword(out);
        PutDword(out, WS_CHILD | WS_VISIBLE | c.style);
        PutDword(out, c.exStyle);
        for (short v : {c.x, c.y, c.w, c.h}) out.push_back(static_cast<WORD>(v));
        out.push_back(static_cast<WORD>(c.id));
        if (c.atom != 0) {
            out.push_back(0xFFFF);
            out.push_back(c.atom);
        } else {
            PutText(out, c.className);
        }
        PutText(out, c.text ? c.text : "");
        out.push_back(0);  // no creation data
    }
    return out;
}

void EndUpdateCheck(MainWindowShell& shell) {
    if (!shell.updateCheck.joinable()) return;
    shell.updateCheck.request_stop();
    shell.updateCheck.join();
}

MainWindowShell* ShellOfWindow(HWND dialog) {
    return reinterpret_cast<MainWindowShell*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void PrepareMainWindow(MainWindowShell& shell, HWND dialog) {
    shell.mainWindow = dialog;
    shell.taskbarButtonCreatedMessage = RegisterWindowMessageA("TaskbarButtonCreated");
    for (const ControlSpec& c : Controls)
        shell.layout.controls[c.id - IDC_RESULTS_FILE_LABEL] = InitialLayoutRecord(c.id);

    HWND list = GetDlgItem(dialog, IDC_RESULTS_LIST);
    shell.listOriginalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ResultsListProc)));

    shell.searchFont.Reset(CreateBoldSearchFont());
    if (shell.searchFont.valid())
        SendDlgItemMessageA(dialog, IDC_SEARCH, WM_SETFONT,
                            reinterpret_cast<WPARAM>(shell.searchFont.get()), 0);

    // Wine sends no WM_SIZE while a dialog is created, so the geometry is taken here,
    // before anything can resize the window.
    CaptureLayoutOnce(shell);

    if (shell.startProgram) StartProgram(shell, dialog);
}

void BuildMainWindow(MainWindowShell& shell, HWND parent) {
    const std::vector<WORD> dialogTemplate = MainWindowTemplate();
    shell.startProgram = true;
    // the taskbar button's progress is a COM object of the window's thread
    ComScope com;
    DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                            reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()), parent,
                            MainDialogProc, reinterpret_cast<LPARAM>(&shell));
    shell.searchFont.Reset();
    ForgetTaskbarButton(shell);
}

}  // namespace kestrap
