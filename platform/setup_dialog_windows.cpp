// The setup dialog on Windows: the dialog template from the program's resources
// (setup_dialog.rc), run by the system's modal loop. The dialog manager gives the
// classic keys: Enter presses the focused push button or else Run, Escape and the
// close box send Quit.
#include "platform/setup_dialog.h"

#include "platform/setup_dialog_ids.h"
#include "platform/utf16_windows.h"

#include <windows.h>

namespace {

void set_check(HWND dialog, int id, bool checked) { CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED); }

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void start_dialog(HWND dialog, const setup_dialog_state& state) {
    set_check(dialog, IDC_ANTIALIASED, state.antialiased);
    set_check(dialog, IDC_WINDOWED, state.windowed);
    set_check(dialog, IDC_FORCE_16_9, state.force_16_9);
    HWND modes = GetDlgItem(dialog, IDC_MODES);
    for (const std::string& label : state.modes)
        SendMessageW(modes, CB_ADDSTRING, 0, LPARAM(utf16_of(label).c_str()));
    SendMessageW(modes, CB_SETCURSEL, WPARAM(state.selected), 0);
    SetFocus(modes);
    SetForegroundWindow(dialog);
}

void read_choice(HWND dialog, setup_dialog_state& state) {
    state.antialiased = checked(dialog, IDC_ANTIALIASED);
    state.windowed = checked(dialog, IDC_WINDOWED);
    state.force_16_9 = checked(dialog, IDC_FORCE_16_9);
    state.selected = int(SendDlgItemMessageW(dialog, IDC_MODES, CB_GETCURSEL, 0, 0));
}

INT_PTR CALLBACK dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* state = reinterpret_cast<setup_dialog_state*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lparam);
        start_dialog(dialog, *reinterpret_cast<setup_dialog_state*>(lparam));
        return FALSE;  // the focus was set on the drop-down
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            read_choice(dialog, *state);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

setup_answer show_setup_dialog(setup_dialog_state& state) {
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETUP), nullptr,
                                           dialog_procedure, LPARAM(&state));
    if (result == -1 || result == 0) return setup_answer::no_display;
    return result == IDOK ? setup_answer::run : setup_answer::quit;
}
