#pragma once
#include <QString>
#include <cstdint>

namespace ui {

// Where the window's run stands, as the status line tells it.
enum class TkvRunPhase {
    Idle,  // nothing ran yet, or the list was made anew
    Searching,  // a Search without a run
    Converting,
    Pausing,  // Pause pressed, workers finish their files
    Paused,
    Stopping,
    Stopped,
    Finished,
    NextRun,  // an unattended cycle waits for its next run
    Closing,  // the window closes once the files in hand are done
};

// What the status line is made of.
struct TkvStatusFacts {
    TkvRunPhase phase = TkvRunPhase::Idle;
    bool searching = false;  // the list may still grow
    int found = 0;
    int done = 0;  // converted or failed
    int failed = 0;
    int converting = 0;  // held by workers now
    int64_t elapsedMs = 0;
    int64_t remainingMs = -1;  // -1: no estimate yet
    int nextRunSeconds = 0;
    bool stale = false;  // Source or Sub folders changed since the list was made
    QString note;  // why an unattended cycle converted nothing, and the like
};

QString StatusLine(const TkvStatusFacts& f);

// "4.2 s" below a minute, "1:05" below an hour, "1:02:03" beyond.
QString FormatDuration(int64_t ms);

// The time the rest of a run should take at the pace it has kept so far;
// -1 while the list may still grow or too little is done to tell.
int64_t EstimateRemainingMs(int64_t elapsedMs, int doneThisRun, int left, bool searching);

}  // namespace ui
