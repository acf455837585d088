// The application object: owns the option list, brings up the global
// services in their order, and runs either the elevated service or the
// window.
#pragma once

#include "app/arguments.h"
#include "app/frame_loop.h"
#include "core/links.h"
#include "sys/journal_recovery.h"
#include "sys/payload_archive.h"

class GCell;
class WndGx;
class UiRoot;
class UiText;

class App {
public:
    explicit App(Arguments* args) : args_(args) {}
    virtual ~App() = default;

    // Opens what the mode needs; the main window, or empty.
    virtual SSlave<GCell> Start() = 0;
    virtual void Stop(SSlave<GCell>& window) = 0;
    virtual const WChar* Title() const = 0;

    const Arguments& Args() const { return *args_; }

protected:
    SObject<Arguments> args_;
};

class InstallerApp : public App, public EndGate {
public:
    // Creates the platform-service object, starts the log, makes the gate
    // table and registers every cell class.
    explicit InstallerApp(Arguments* args);

    SSlave<GCell> Start() override;
    void Stop(SSlave<GCell>& window) override;
    const WChar* Title() const override;

    // 0, except for an unattended run, whose code tells how it went, a
    // window that could not be made, and a window run ended on request
    // while an installation ran that then did not complete.
    int ExitCode() const { return exitCode_; }

    // An installation in progress finishes its host first.
    bool MayEndNow() override;

private:
    int exitCode_ = 0;
    // A packed program's own file checked whole before anything touches a
    // host; kNotPacked for a program with its payload beside it.
    ArchiveStatus ownPayload_ = ArchiveStatus::kNotPacked;
    PayloadArchive ownArchive_;
    // The batches that earlier runs left half done, put back at start.
    Container<RecoveredBatch> recovered_;
    SSlave<Cell> installer_;  // the wizard's controller, in the window mode
    // The main window at (x, y), 800 by 600, holding the UI root.
    static WndGx* CreateMainWindow(const WChar* title, int32_t x, int32_t y);
    static void OpenCellBrowser();
    bool CheckOwnPayload(WndGx* window);
    static UiText* ShowCheckProgress(WndGx& window);
    static void ClearRoot(WndGx& window);
    static UiRoot* RootOf(WndGx& window);
    // How often the check's progress is drawn: a new frame at most every
    // kCheckFrameMs.
    static constexpr double kCheckFrameMs = 50;
    void ReportDamagedDownload(bool window);
};

// The process's work from a command line; the exit code (0 but for an
// unattended run).
int RunProgram(const WChar* commandLine);
