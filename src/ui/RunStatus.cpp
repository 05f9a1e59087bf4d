#include "ui/RunStatus.h"

namespace ui {

namespace {

// Below this the pace says little (the first files include start-up).
constexpr int kMinDoneForEstimate = 2;
constexpr int64_t kMinElapsedForEstimateMs = 1000;

QString Files(int n) { return n == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(n); }

QString Progress(const TkvStatusFacts& f) {
    QString s = QStringLiteral("%1 of %2").arg(f.done).arg(f.found);
    if (f.searching) s += QStringLiteral(" found so far, still searching");
    return s;
}

QString Converting(const TkvStatusFacts& f) {
    QString s = QStringLiteral("Converting %1 · %2 elapsed").arg(Progress(f), FormatDuration(f.elapsedMs));
    if (f.remainingMs >= 0) s += QStringLiteral(" · about %1 left").arg(FormatDuration(f.remainingMs));
    return s;
}

QString Finishing(const TkvStatusFacts& f) {
    return QStringLiteral("finishing %1…")
        .arg(f.converting == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(f.converting));
}

QString Outcome(const TkvStatusFacts& f) {
    if (f.found == 0) return QStringLiteral("no files found");
    QString s = QStringLiteral("%1 converted").arg(f.done - f.failed);
    if (f.failed > 0) s += QStringLiteral(", %1 failed").arg(f.failed);
    return s;
}

}  // namespace

QString FormatDuration(int64_t ms) {
    if (ms < 0) ms = 0;
    // Short runs are the usual case: tenths of a second say more there.
    if (ms < 60000) return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1);
    const int64_t s = ms / 1000;
    if (s >= 3600)
        return QStringLiteral("%1:%2:%3")
            .arg(s / 3600)
            .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
            .arg(s % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

int64_t EstimateRemainingMs(int64_t elapsedMs, int doneThisRun, int left, bool searching) {
    if (searching || left <= 0) return searching ? -1 : 0;
    if (doneThisRun < kMinDoneForEstimate || elapsedMs < kMinElapsedForEstimateMs) return -1;
    return elapsedMs * left / doneThisRun;
}

QString StatusLine(const TkvStatusFacts& f) {
    QString s;
    switch (f.phase) {
    case TkvRunPhase::Idle:
        s = f.found > 0 ? QStringLiteral("%1 in the list").arg(Files(f.found)) : QStringLiteral("Ready");
        break;
    case TkvRunPhase::Searching:
        s = f.searching ? QStringLiteral("Searching… %1 found").arg(f.found)
                        : QStringLiteral("Found %1").arg(Files(f.found));
        break;
    case TkvRunPhase::Converting: s = Converting(f); break;
    case TkvRunPhase::Pausing: s = QStringLiteral("Pausing: ") + Finishing(f); break;
    case TkvRunPhase::Paused:
        s = QStringLiteral("Paused after %1 · Convert goes on with the rest").arg(Progress(f));
        break;
    case TkvRunPhase::Stopping: s = QStringLiteral("Stopping: ") + Finishing(f); break;
    case TkvRunPhase::Stopped:
        s = QStringLiteral("Stopped after %1 (%2) in %3").arg(Progress(f), Outcome(f), FormatDuration(f.elapsedMs));
        break;
    case TkvRunPhase::Finished:
        s = QStringLiteral("Finished: %1 in %2").arg(Outcome(f), FormatDuration(f.elapsedMs));
        break;
    case TkvRunPhase::NextRun:
        s = QStringLiteral("Next run in %1 s · Stop ends the cycle").arg(f.nextRunSeconds);
        break;
    case TkvRunPhase::Closing:
        s = QStringLiteral("Finishing %1… close again to quit at once")
                .arg(f.converting == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(f.converting));
        break;
    }
    if (!f.note.isEmpty()) s += QStringLiteral(" · ") + f.note;
    if (f.stale) s += QStringLiteral(" · Source changed: Convert searches again");
    return s;
}

}  // namespace ui
