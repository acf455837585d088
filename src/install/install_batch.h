// Install batches: everything the installer knows and does for one host
// installation (its name, version, folders, the user's chosen actions and
// the file transfers that bring the payload in or take it out), and the
// transfers themselves.
#pragma once

#include <cstdint>

#include "core/container.h"
#include "core/path.h"
#include "install/install_choices.h"
#include "install/install_report.h"
#include "sys/file_journal.h"

enum e_TransferKind : int32_t {
    kTransferFolder = 0,      // a payload folder copied into the host
    kTransferLwFolder = 1,    // the same for LightWave: a failure raises the LightWave flag
    kTransferLwExtension = 2, // an edit of LightWave's extension configuration
    kTransferLwMenu = 3,      // an edit of LightWave's menu configuration
};

enum e_PlatformKind : int32_t {
    kPlatformNone = -1,
    kPlatformLightWave = 0,
    kPlatformMax = 1,
    kPlatformCinema4D = 2,
    kPlatformPresets = 3,
};

// Fix codes of the preparation step, one per transfer that needs one.
enum e_InstallBatchFix : int32_t {
    kFixNone = 0,
    kFixModelerStarted = 1,   // the menu file was unreadable; Modeler was started to write one
    kFixMenuPatched = 2,      // the menu file was patched; Modeler was started to rewrite it
    kFixCannotModify = 4,     // customised or invalid: cannot be modified by the installer
};

class FileTransfer {
public:
    e_TransferKind kind = kTransferFolder;
    WPath source;       // the payload folder (or file) beside the executable
    WPath destination;  // may hold %PATH% or %CONFIG_PATH%
    WPath auxiliary;    // kind 2: the plug-in folder; kind 3: the Modeler executable
    bool removeWholeFolder = false;

    virtual ~FileTransfer() = default;
};

class InstallBatch {
public:
    WString displayName;
    float hostVersion = 0;
    WPath pathValue;  // %PATH%
    Container<FileTransfer> transfers;
    ec_FilesInstall fileAction;
    bool installed = false;
    WPath configPath;  // %CONFIG_PATH%

    InstallBatch();
    InstallBatch(const InstallBatch&) = delete;
    InstallBatch& operator=(const InstallBatch&) = delete;
    virtual ~InstallBatch() = default;

    // Recomputes the installed flag: some payload file is present in the
    // host. What cut-off runs left behind there goes first (as the user).
    virtual void Evaluate();
    // The fix code of one transfer before installing (0 unless LightWave).
    virtual int32_t CheckFix(FileTransfer& transfer);
    // Carries the actions out, noting every change in the journal; false
    // stops the whole installation (and the journal puts this batch back).
    virtual bool Process(InstallReport& report, FileJournal& journal);
    virtual bool HasAction() const;
    virtual int32_t PlatformKind() const { return kPlatformNone; }

    // Removes what earlier runs cut off set aside or left half written in
    // the host's folders that this batch works in (see journal_recovery.h);
    // elevated only with mayElevate.
    void RemoveLeftovers(bool mayElevate) const;

    // Offered by the wizard: the batch has something to transfer.
    bool Available() const { return transfers.count > 0; }
    // What the wizard counts as installed (LightWave: files or menus).
    virtual bool AnythingInstalled() const { return installed; }

    // A transfer from a payload item beside the executable.
    FileTransfer* AddTransfer(e_TransferKind kind, const WChar* payload, const WChar* destination, const WChar* auxiliary,
                              bool removeWholeFolder);
};

// LightWave: the configuration files are edited before the files move
// (lw_install_batch.cpp).
class LwInstallBatch : public InstallBatch {
public:
    ec_MenuInstall menuAction;
    bool menusInstalled = false;

    LwInstallBatch();
    void Evaluate() override;
    int32_t CheckFix(FileTransfer& transfer) override;
    bool Process(InstallReport& report, FileJournal& journal) override;
    bool HasAction() const override;
    int32_t PlatformKind() const override { return kPlatformLightWave; }
    bool AnythingInstalled() const override { return installed || menusInstalled; }
};

class MaxInstallBatch : public InstallBatch {
public:
    int32_t PlatformKind() const override { return kPlatformMax; }
};

class C4dInstallBatch : public InstallBatch {
public:
    int32_t PlatformKind() const override { return kPlatformCinema4D; }
};

class PresetsInstallBatch : public InstallBatch {
public:
    PresetsInstallBatch();
    int32_t PlatformKind() const override { return kPlatformPresets; }
};

// The destination with the first "%PATH%" and then the first
// "%CONFIG_PATH%" replaced by the batch's values (trailing backslashes cut).
WPath ExpandMacros(const InstallBatch& batch, const WChar* path);

// The folder transfer of kinds 0 and 1: the old payload out, the new in.
// With a journal, what it removes is moved aside and what it creates is
// noted; without one, it deletes outright.
bool ProcessTransfer(InstallBatch& batch, InstallReport& report, FileTransfer& transfer, FileJournal* journal = nullptr);

// The host batches of one run, in the wizard's order.
using BatchList = Container<InstallBatch>;

// The folder of the running executable (its path up to its last "\"), or
// for a packed program its own file's path and "\" (see packed_payload.h).
const WPath& PayloadFolder();
// True when the payload subfolder beside the executable is a folder.
bool PayloadPresent(const WChar* subfolder);
// The hosts the payload beside the executable serves, "LightWave",
// "3ds Max", "Cinema 4D" in that order, joined with ", " ("" for none).
WString SupportedHostNames();
