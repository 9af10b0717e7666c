#pragma once

#include "shell/file_operation.h"

#include <QString>

#include <atomic>
#include <functional>

class QWidget;

namespace bivora {

class JobRegistry;
class Prompts;

// The work of a file operation on the worker: RunFileOperation with the callbacks
// it is given, polling cancel.
using FileOpWork = std::function<FileOpResult(FileOpCallbacks& callbacks, const std::atomic<bool>& cancel)>;

struct FileOpRunOptions {
    QWidget* parent = nullptr; // of the progress dialog and the questions
    QString title;             // of the progress dialog: "Copying", "Moving", ...
    int dialogDelayMs = 500;   // work done sooner shows no dialog at all
};

// Runs a file operation as a job of the registry and returns when it has ended, so
// that it is synchronous for its caller, while the window keeps painting. Other
// input reaches no window meanwhile; Escape and a close request cancel. When the work
// has not ended within the delay a progress dialog shows the file at work, bytes and
// files (updated at most about 30 times a second), and its Cancel sets the flag the
// work polls. The work's questions (replace, error, delete for good) are asked on the
// GUI thread through prompts while the worker waits for the answer; the items it
// skipped are listed in one message at the end.
//
// work must own, or share in ownership, everything it touches. A result with
// cancelled set and nothing done when no job could start (the program is closing).
FileOpResult RunFileOpJob(JobRegistry& jobs, Prompts& prompts, FileOpWork work, const FileOpRunOptions& options);

} // namespace bivora
