// The setup dialog with Win32's dialog services: the list and the box filled
// when the dialog starts, the viewer's choice read back from the controls
// when "Demo" (or Enter) closes it, and the link buttons opened by the shell.
#include "app/Win32SetupDialog.h"

#include "app/resources/SetupDialogIds.h"

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <system_error>

namespace Sorva {

namespace {

struct DialogState {
    const ModeList* modes = nullptr;
    SetupChoice choice;
};

void initialise(HWND dialog, const ModeList& modes) {
    for (const std::string& line : modes.lines())
        SendDlgItemMessageA(dialog, HALVO_SETUP_RESOLUTION, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(line.c_str()));
    if (modes.selectedLine() >= 0)
        SendDlgItemMessageA(dialog, HALVO_SETUP_RESOLUTION, CB_SETCURSEL,
                            WPARAM(modes.selectedLine()), 0);
    if (modes.fullscreen())
        SendDlgItemMessageA(dialog, HALVO_SETUP_FULLSCREEN, BM_SETCHECK, BST_CHECKED, 0);
}

INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        // The state lives on run()'s stack for as long as the dialog does.
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        initialise(dialog, *reinterpret_cast<DialogState*>(lParam)->modes);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (LOWORD(wParam)) {
    case IDOK:
        state->choice.accepted = true;
        state->choice.selectedLine =
            int(SendDlgItemMessageA(dialog, HALVO_SETUP_RESOLUTION, CB_GETCURSEL, 0, 0));
        state->choice.fullscreen =
            SendDlgItemMessageA(dialog, HALVO_SETUP_FULLSCREEN, BM_GETCHECK, 0, 0) != 0;
        EndDialog(dialog, 1);
        break;
    case IDCANCEL:
        EndDialog(dialog, 0);
        break;
    case HALVO_SETUP_SOCIAL:
        ShellExecuteA(nullptr, "open", socialPageAddress, nullptr, nullptr, SW_SHOWNORMAL);
        break;
    case HALVO_SETUP_WEB:
        ShellExecuteA(nullptr, "open", webSiteAddress, nullptr, nullptr, SW_SHOWNORMAL);
        break;
    }
    return FALSE;
}

} // namespace

SetupDialog::Outcome Win32SetupDialog::run(const ModeList& modes) {
    DialogState state;
    state.modes = &modes;
    const INT_PTR result =
        DialogBoxParamA(static_cast<HINSTANCE>(instance_), MAKEINTRESOURCEA(HALVO_SETUP_DIALOG),
                        GetForegroundWindow(), &dialogProcedure, reinterpret_cast<LPARAM>(&state));
    Outcome outcome;
    if (result == -1) {
        outcome.failure = "DialogBoxParamA: " + std::system_category().message(int(GetLastError()));
        while (!outcome.failure.empty() &&
               (outcome.failure.back() == '\n' || outcome.failure.back() == '\r' ||
                outcome.failure.back() == '.'))
            outcome.failure.pop_back();
        return outcome;
    }
    outcome.shown = true;
    outcome.choice = state.choice;
    outcome.choice.accepted = result == 1;
    return outcome;
}

std::unique_ptr<SetupDialog> SetupDialog::create(void* instance) {
    return std::make_unique<Win32SetupDialog>(instance);
}

} // namespace Sorva
