// Dialogs on Windows: message boxes, the shell's common item dialogs for
// files and folders, and the colour picker.
#include <windows.h>
#include <commdlg.h>
#include <shobjidl.h>

#include "sys/platform.h"

bool SysMessageBox(const WChar* text, const WChar* caption, SysBoxKind kind) {
    UINT type = MB_OK;
    switch (kind) {
        case SysBoxKind::kInfo: type = MB_OK | MB_ICONINFORMATION; break;
        case SysBoxKind::kWarning:
        case SysBoxKind::kError: type = MB_OK | MB_ICONERROR; break;
        case SysBoxKind::kOkCancel: type = MB_OKCANCEL; break;  // no icon
    }
    return MessageBoxW(nullptr, text, caption, type) == IDOK;
}

namespace {

// COM for the calling thread while a dialog is up.
struct ComScope {
    const bool ok = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    ~ComScope() {
        if (ok) CoUninitialize();
    }
};

}  // namespace

bool SysFileDialog(SysFileDialogKind kind, const WChar* title, const WChar* typeName, const WChar* typePattern,
                   WString& path) {
    path.Assign(WTXT(""));
    ComScope com;
    IFileDialog* dialog = nullptr;
    const CLSID& cls = kind == SysFileDialogKind::kSave ? CLSID_FileSaveDialog : CLSID_FileOpenDialog;
    if (FAILED(CoCreateInstance(cls, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))) || !dialog) return false;
    dialog->SetTitle(title);
    if (kind == SysFileDialogKind::kFolder) {
        FILEOPENDIALOGOPTIONS options = 0;
        dialog->GetOptions(&options);
        dialog->SetOptions(options | FOS_PICKFOLDERS);
    } else {
        const COMDLG_FILTERSPEC type{typeName, typePattern};
        dialog->SetFileTypes(1, &type);
    }
    if (SUCCEEDED(dialog->Show(nullptr))) {
        IShellItem* item = nullptr;
        if (SUCCEEDED(dialog->GetResult(&item)) && item) {
            PWSTR name = nullptr;
            if (SUCCEEDED(item->GetDisplayName(SIGDN_DESKTOPABSOLUTEPARSING, &name)) && name) {
                path.Assign(name);
                CoTaskMemFree(name);
            } else {
                MessageBoxW(nullptr, L"GetIDListName() failed", nullptr, MB_OK);
            }
            item->Release();
        }
    }
    dialog->Release();
    return !path.IsEmpty();
}

bool SysColourDialog(uint8_t rgb[3]) {
    COLORREF custom[16] = {};  // empty every time
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof choose;
    choose.rgbResult = RGB(rgb[0], rgb[1], rgb[2]);
    choose.lpCustColors = custom;
    choose.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_RGBINIT;
    if (!ChooseColorW(&choose)) return false;
    rgb[0] = GetRValue(choose.rgbResult);
    rgb[1] = GetGValue(choose.rgbResult);
    rgb[2] = GetBValue(choose.rgbResult);
    return true;
}
