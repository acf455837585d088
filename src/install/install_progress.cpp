#include "install/install_progress.h"

void InstallProgress::AddFile(const WChar* name, int64_t bytes) {
    if (Counted()) return;
    files_.Add(new WString(name), files_.count < 64 ? 64 : files_.count);
    totalBytes_ += bytes > 0 ? bytes : 0;
}

void InstallProgress::Publish() { counted_.store(true, std::memory_order_release); }

void InstallProgress::FileCopied(int64_t bytes) {
    doneBytes_.fetch_add(bytes > 0 ? bytes : 0, std::memory_order_relaxed);
    doneFiles_.fetch_add(1, std::memory_order_relaxed);
}

int32_t InstallProgress::TotalFiles() const { return Counted() ? files_.count : 0; }

int64_t InstallProgress::TotalBytes() const { return Counted() ? totalBytes_ : 0; }

float InstallProgress::Fraction() const {
    if (!Counted()) return 0;
    double part = 0;
    if (totalBytes_ > 0) part = double(DoneBytes()) / double(totalBytes_);
    else if (files_.count > 0) part = double(DoneFiles()) / double(files_.count);
    else return 1;
    return part < 0 ? 0.0f : part > 1 ? 1.0f : float(part);
}

const WChar* InstallProgress::CurrentFile() const {
    if (!Counted()) return WTXT("");
    const int32_t i = DoneFiles();
    return i < files_.count ? files_[i]->CStr() : WTXT("");
}
