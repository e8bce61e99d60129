// kdriver: drives the program under test by window messages, one command per stdin line,
// one answer per stdout line, so that one driver process serves a whole scenario.
//
//   start EXE OUTPUT [ARGS]    start the program from its folder, its output going to a file
//                              (paths escaped, blanks as \x20), ARGS after its name
//   window MS                  wait until the main window is visible
//   settext ID TEXT            WM_SETTEXT on a control
//   type ID TEXT               select all, then WM_CHAR per character (into a combo's edit)
//   click ID                   post BM_CLICK (a message box may follow)
//   command ID                 post WM_COMMAND with that id to the main window
//   clicknow ID | commandnow ID  the same, sent: answers once the window has handled it, so
//                              only for a press that opens no box (one that does is an error)
//   pick ID INDEX              select a combo item and post CBN_SELENDOK, as a user's pick
//   dblclick ID INDEX          select a list box line and post LBN_DBLCLK, as a double-click
//   text ID | enabled ID       a control's text; 1 or 0
//   items ID | count ID        the list box's items, one field each; their number
//   item ID INDEX              one item of the list box
//   combo ID                   the selected index, then the combo's items
//   progress ID                position and upper limit of a progress bar
//   rect ID                    x y w h of a control in the main window's client pixels
//   client                     w h of the main window's client area in pixels
//   resize W H                 give the main window a client area of W by H pixels
//   dlu                        pixels of 1024 by 1024 dialog units in the window's font
//   close                      post WM_SYSCOMMAND SC_CLOSE to the main window
//   box MS CAPTION             wait for a message box; its text and its button ids
//   boxes                      captions of the open message boxes
//   press BUTTON CAPTION       answer a message box with a button id (IDYES 6, IDNO 7, ...)
//   waitexit MS | alive | kill | quit
//   lock PATH | unlock         hold a file open with no sharing, as another program may;
//                              let go of every file held
//   attrib VALUE PATH          set a file's attributes (FILE_ATTRIBUTE_HIDDEN 2, ...)
//   balloons | trayicons       texts of the visible balloons; the number of tray icons
//   trayclick                  left-click every tray icon; how many were clicked
//   cover | uncover            a window of the driver's in front of everything; gone again
//   front                      1 when the main window is in front and not minimised, else 0
//
// Texts are escaped as in Protocol.h; answers are "ok" or "error", then tab-separated fields.
#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "NotificationArea.h"
#include "Protocol.h"
#include "Target.h"

namespace kestrap::e2e {

namespace {

constexpr int MainFontPoints = 8;
constexpr wchar_t MainFontName[] = L"MS Sans Serif";

int ToNumber(const std::string& word) {
    return static_cast<int>(std::strtol(word.c_str(), nullptr, 0));
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// A hidden dialog with the main window's font answers MapDialogRect, which cannot be asked
// of a window in another process.
std::string MeasureDialogUnits() {
    alignas(4) WORD buffer[64] = {};
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(buffer);
    dialog->style = WS_POPUP | DS_SETFONT;
    dialog->cx = 100;
    dialog->cy = 100;
    WORD* tail = reinterpret_cast<WORD*>(dialog + 1);
    *tail++ = 0;  // no menu
    *tail++ = 0;  // standard class
    *tail++ = 0;  // no title
    *tail++ = MainFontPoints;
    for (const wchar_t* c = MainFontName; *c; ++c) *tail++ = static_cast<WORD>(*c);
    *tail = 0;
    HWND window = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), dialog, nullptr,
                                             QuietDialogProc, 0);
    if (!window) return ErrorAnswer("cannot create a measuring dialog");
    RECT units{0, 0, 1024, 1024};
    MapDialogRect(window, &units);
    DestroyWindow(window);
    return OkAnswer({std::to_string(units.right), std::to_string(units.bottom)});
}

// Wine carries at most 767 characters of a list item to another process (511 from the list
// box of the version 6 common controls), and "length" tells how long one is; a shorter
// answer than announced is an error, never a silently shortened text.
std::string ReadItems(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage,
                      std::vector<std::string>& items, LRESULT first = 0, LRESULT last = -1) {
    auto count = Send(control, countMessage, 0, 0);
    if (last < 0 || last >= count) last = count - 1;
    for (LRESULT i = first; i <= last; ++i) {
        auto length = Send(control, lengthMessage, i, 0);
        std::wstring item(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
        auto copied = Send(control, textMessage, i, reinterpret_cast<LPARAM>(item.data()));
        if (copied != length) {
            return ErrorAnswer("item " + std::to_string(i) + ": " + std::to_string(copied) + " of " +
                               std::to_string(length) + " characters came across");
        }
        item.resize(static_cast<size_t>(copied));
        items.push_back(ToAnsi(item));
    }
    return {};
}

// All items, or those from first to last.
std::string ListItems(HWND list, LRESULT first = 0, LRESULT last = -1) {
    std::vector<std::string> items;
    std::string error = ReadItems(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, items, first, last);
    return error.empty() ? OkAnswer(items) : error;
}

std::string ComboItems(HWND combo) {
    std::vector<std::string> fields{std::to_string(Send(combo, CB_GETCURSEL, 0, 0))};
    std::string error = ReadItems(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, fields);
    return error.empty() ? OkAnswer(fields) : error;
}

// A user's typing: the edit (a combo box's own edit field) gets the characters one by one,
// which is what clears a drop-down's selection.
std::string TypeText(HWND control, const std::string& text) {
    HWND edit = FindWindowExW(control, nullptr, L"Edit", nullptr);
    if (!edit) edit = control;
    Send(edit, EM_SETSEL, 0, -1);
    for (wchar_t c : ToWide(text)) Send(edit, WM_CHAR, c, 1);
    return OkAnswer();
}

std::string ControlRect(HWND main, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
    return OkAnswer({std::to_string(rect.left), std::to_string(rect.top),
                     std::to_string(rect.right - rect.left), std::to_string(rect.bottom - rect.top)});
}

std::string ResizeClient(HWND main, int width, int height) {
    RECT outer{}, client{};
    GetWindowRect(main, &outer);
    GetClientRect(main, &client);
    int frameWidth = (outer.right - outer.left) - client.right;
    int frameHeight = (outer.bottom - outer.top) - client.bottom;
    SetWindowPos(main, nullptr, 0, 0, width + frameWidth, height + frameHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return OkAnswer();
}

std::string BoxDetails(HWND box) {
    std::string text, buttons;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        std::string kind = ClassName(child);
        if (kind == "Static" && text.empty()) {
            text = WindowText(child);
        } else if (kind == "Button") {
            if (!buttons.empty()) buttons += ',';
            buttons += std::to_string(GetDlgCtrlID(child));
        }
    }
    return OkAnswer({text, buttons});
}

class Session {
public:
    std::string Run(std::string_view line) {
        std::string name = NextWord(line);
        if (name == "start") {
            std::string exe = Unescape(NextWord(line));
            std::string output = Unescape(NextWord(line));
            return Start(exe, output, Unescape(line));
        }
        if (name == "waitexit") return WaitExit(ToNumber(NextWord(line)));
        if (name == "alive") return OkAnswer({target.Alive() ? "1" : "0"});
        if (name == "kill") return target.Kill(), OkAnswer();
        if (name == "boxes") return Boxes();
        if (name == "box") {
            DWORD timeout = static_cast<DWORD>(ToNumber(NextWord(line)));
            HWND box = target.WaitForBox(Unescape(line), timeout);
            return box ? BoxDetails(box) : ErrorAnswer("no message box " + Unescape(line));
        }
        if (name == "press") {
            int button = ToNumber(NextWord(line));
            return Press(button, Unescape(line));
        }
        if (name == "dlu") return MeasureDialogUnits();
        if (name == "balloons") return OkAnswer(BalloonTexts());
        if (name == "trayicons") return OkAnswer({std::to_string(TrayIcons().size())});
        if (name == "trayclick") return OkAnswer({std::to_string(ClickTrayIcons())});
        if (name == "cover") return cover.Show() ? OkAnswer() : ErrorAnswer("no cover window");
        if (name == "uncover") return cover.Remove(), OkAnswer();
        if (name == "lock") return Lock(Unescape(line));
        if (name == "unlock") return Unlock();
        if (name == "attrib") {
            DWORD attributes = static_cast<DWORD>(ToNumber(NextWord(line)));
            std::string path = Unescape(line);
            return SetFileAttributesW(PathToWide(path).c_str(), attributes)
                       ? OkAnswer()
                       : ErrorAnswer("cannot set the attributes of " + path);
        }
        if (name == "window") {
            return target.WaitForMainWindow(static_cast<DWORD>(ToNumber(NextWord(line))))
                       ? OkAnswer()
                       : ErrorAnswer("no main window");
        }
        HWND main = target.MainWindow();
        if (!main) return ErrorAnswer("the main window is not known yet");
        if (name == "client") {
            RECT client{};
            GetClientRect(main, &client);
            return OkAnswer({std::to_string(client.right), std::to_string(client.bottom)});
        }
        if (name == "resize") {
            int width = ToNumber(NextWord(line));
            return ResizeClient(main, width, ToNumber(NextWord(line)));
        }
        if (name == "close") return Posted(PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0));
        if (name == "front") {
            return OkAnswer({GetForegroundWindow() == main && !IsIconic(main) ? "1" : "0"});
        }
        if (name == "command") {
            return Posted(PostMessageW(main, WM_COMMAND, MAKEWPARAM(ToNumber(NextWord(line)), 0), 0));
        }
        if (name == "commandnow") {
            Send(main, WM_COMMAND, MAKEWPARAM(ToNumber(NextWord(line)), 0), 0);
            return OkAnswer();
        }
        int id = ToNumber(NextWord(line));
        HWND control = target.Control(id);
        if (!control) return ErrorAnswer("no control " + std::to_string(id));
        return RunOnControl(name, id, control, line);
    }

private:
    std::string RunOnControl(const std::string& name, int id, HWND control, std::string_view rest) {
        HWND main = target.MainWindow();
        if (name == "settext") {
            std::wstring text = ToWide(Unescape(rest));
            Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            return OkAnswer();
        }
        if (name == "type") return TypeText(control, Unescape(rest));
        if (name == "click") return Posted(PostMessageW(control, BM_CLICK, 0, 0));
        if (name == "clicknow") {
            Send(control, BM_CLICK, 0, 0);
            return OkAnswer();
        }
        if (name == "pick") {
            Send(control, CB_SETCURSEL, static_cast<WPARAM>(ToNumber(NextWord(rest))), 0);
            return Posted(PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK),
                                       reinterpret_cast<LPARAM>(control)));
        }
        if (name == "dblclick") {
            Send(control, LB_SETCURSEL, static_cast<WPARAM>(ToNumber(NextWord(rest))), 0);
            return Posted(PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK),
                                       reinterpret_cast<LPARAM>(control)));
        }
        if (name == "text") return OkAnswer({WindowText(control)});
        if (name == "enabled") return OkAnswer({IsWindowEnabled(control) ? "1" : "0"});
        if (name == "items") return ListItems(control);
        if (name == "item") {
            int index = ToNumber(NextWord(rest));
            return ListItems(control, index, index);
        }
        if (name == "count") return OkAnswer({std::to_string(Send(control, LB_GETCOUNT, 0, 0))});
        if (name == "length") {
            int index = ToNumber(NextWord(rest));
            return OkAnswer({std::to_string(Send(control, LB_GETTEXTLEN, index, 0))});
        }
        if (name == "combo") return ComboItems(control);
        if (name == "progress") {
            auto position = Send(control, PBM_GETPOS, 0, 0);
            auto upper = Send(control, PBM_GETRANGE, FALSE, 0);
            return OkAnswer({std::to_string(position), std::to_string(upper)});
        }
        if (name == "rect") return ControlRect(main, control);
        return ErrorAnswer("unknown command " + name);
    }

    std::string Start(const std::string& exe, const std::string& output,
                      const std::string& arguments) {
        if (target.Started()) return ErrorAnswer("already started");
        if (target.Start(exe, output, arguments)) return OkAnswer();
        // the system's code tells a missing file from a sharing or memory fault
        return ErrorAnswer("cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")");
    }

    std::string WaitExit(int timeoutMs) {
        DWORD code = 0;
        if (!target.WaitForExit(static_cast<DWORD>(timeoutMs), code)) return ErrorAnswer("still running");
        return OkAnswer({std::to_string(code)});
    }

    std::string Boxes() {
        std::vector<std::string> captions;
        for (HWND box : target.Boxes()) captions.push_back(WindowText(box));
        return OkAnswer(captions);
    }

    // Posted, never sent: the box's own message loop must not wait for the driver.
    std::string Press(int button, const std::string& caption) {
        HWND box = target.WaitForBox(caption, 0);
        if (!box) return ErrorAnswer("no message box " + caption);
        HWND control = GetDlgItem(box, button);
        if (!control) return ErrorAnswer("the box has no button " + std::to_string(button));
        return Posted(PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(control)));
    }

    std::string Lock(const std::string& path) {
        OwnedFile file(CreateFileW(PathToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return ErrorAnswer("cannot open " + path);
        locked.push_back(std::move(file));
        return OkAnswer();
    }

    std::string Unlock() {
        locked.clear();
        return OkAnswer();
    }

    static std::string Posted(BOOL posted) {
        return posted ? OkAnswer() : ErrorAnswer("cannot post the message");
    }

    Target target;
    std::vector<OwnedFile> locked;
    Cover cover;
};

}  // namespace

}  // namespace kestrap::e2e

int main() {
    // answers end in a bare line feed, as the reader on the other side expects
    _setmode(_fileno(stdout), _O_BINARY);
    kestrap::e2e::Session session;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "quit") break;
        std::string answer = session.Run(line);
        if (kestrap::e2e::TakeUnanswered())
            answer = kestrap::e2e::ErrorAnswer("the program did not answer a message within 5 s");
        std::cout << answer << '\n' << std::flush;
    }
    return 0;
}
