#include "executor/OVConsoleQueue.h"

#include "executor/OVConsoleOut.h"

#include <QStringList>
#include <algorithm>
#include <chrono>
#include <deque>
#include <mutex>
#include <vector>

namespace ov {

namespace {

// ---------------------------------------------------------------- one line

// The flush steps on the memo: fullness test, trimming, adding the line.
void AddToMemo(ConsoleMemo &memo, QString line, bool prompt, bool hidden)
{
    const qsizetype maxLength = memo.MaxLength();
    const bool full = ConsoleLineCount >= ConsoleLineLimit || line.size() + memo.TextLength() >= maxLength;
    if (!full) {
        ++ConsoleLineCount;
    } else {
        if (!hidden)
            memo.SetUpdatesEnabled(false);
        if (prompt) {
            if (memo.LineCount() > 0) {
                memo.DeleteLine(0);
                --ConsoleLineCount;
            }
        } else {
            while (memo.LineCount() > 0 && line.size() + memo.TextLength() + 3 >= maxLength) {
                memo.DeleteLine(0);
                --ConsoleLineCount;
            }
        }
        if (!hidden)
            memo.SetUpdatesEnabled(true);
        // Alone in the memo and still too long: keep what fits beside its CR LF.
        const qsizetype room = std::max<qsizetype>(0, maxLength - 2);
        if (memo.LineCount() == 0 && line.size() > room) {
            qsizetype keep = room;
            if (keep > 0 && line[keep - 1].isHighSurrogate())
                --keep;
            line.truncate(keep);
        }
    }
    memo.AddLine(line);
    if (prompt)
        memo.PlaceCaretAfterPrompt();
}

struct QueuedLine {
    QString Text;
    bool Prompt = false;
};

// ---------------------------------------------------------------- the plan

// The memo as AddToMemo leaves it once the lines taken so far are in: the
// memo's lines less the first `dropFront_`, then the lines still to add.
// AddToMemo runs on the plan as on the memo itself, so the plan takes lines
// as fast as they come and drops those the memo would drop again; the memo
// then follows the plan a chunk at a time. User-interface thread only.
class LinePlan : public ConsoleMemo {
public:
    bool Active() const { return memo_ != nullptr; }
    // The plan starts as the memo stands, its last line ended.
    void Begin(ConsoleMemo &memo)
    {
        memo_ = &memo;
        length_ = memo.TextLength();
    }
    void Reset()
    {
        memo_ = nullptr;
        dropFront_ = 0;
        toAdd_.clear();
    }
    // Deletes or adds up to `most` lines in the memo as the plan says; the
    // number of lines. The plan ends when the memo has caught up.
    int Apply(int most);

    int LineCount() const override { return memo_->LineCount() - dropFront_ + int(toAdd_.size()); }
    qsizetype TextLength() const override { return length_; }
    qsizetype MaxLength() const override { return memo_->MaxLength(); }
    qsizetype LineLength(int index) const override;
    void AddLine(const QString &line) override
    {
        toAdd_.push_back({line, false});
        length_ += line.size() + 2;
    }
    void DeleteLine(int index) override;
    void Clear() override { Reset(); }
    int CaretLine() const override { return LineCount(); }
    void PlaceCaretAfterPrompt() override { toAdd_.back().Prompt = true; }
    void SetUpdatesEnabled(bool) override {}
    void SetReadOnly(bool) override {}

private:
    ConsoleMemo *memo_ = nullptr;
    int dropFront_ = 0;
    std::deque<QueuedLine> toAdd_;
    qsizetype length_ = 0;
};

qsizetype LinePlan::LineLength(int index) const
{
    const int kept = memo_->LineCount() - dropFront_;
    return index < kept ? memo_->LineLength(dropFront_ + index) : toAdd_[size_t(index - kept)].Text.size();
}

// AddToMemo deletes the first line only: a line of the memo, or one that
// has not reached it and now never will.
void LinePlan::DeleteLine(int index)
{
    if (index != 0 || LineCount() == 0)
        return;
    length_ -= LineLength(0) + 2;
    if (dropFront_ < memo_->LineCount())
        ++dropFront_;
    else
        toAdd_.pop_front();
}

int LinePlan::Apply(int most)
{
    int done = 0;
    if (dropFront_ > 0) {
        done = std::min(dropFront_, most);
        memo_->DeleteFirstLines(done);
        dropFront_ -= done;
    } else if (!toAdd_.empty()) {
        QStringList lines;
        bool caret = false;
        for (; done < most && !toAdd_.empty(); ++done) {
            lines.append(std::move(toAdd_.front().Text));
            caret = toAdd_.front().Prompt;
            toAdd_.pop_front();
        }
        memo_->AddLines(lines);
        if (caret)
            memo_->PlaceCaretAfterPrompt();
    }
    if (dropFront_ == 0 && toAdd_.empty())
        memo_ = nullptr;
    return done;
}

// ---------------------------------------------------------------- the queue

// Finished lines wait here for the user-interface thread. A drain step is
// posted when a line arrives and none is outstanding; it works for one
// slice and, while lines remain, posts itself again behind whatever else
// the thread has to do. Before each synchronised step the worker has slices
// run until every line is in the memo.
std::mutex QueueMutex;
std::deque<QueuedLine> LineQueue;  // guarded by QueueMutex
bool DrainPosted = false;          // guarded: a posted drain step is to come
bool LinesPending = false;         // guarded: lines queued or planned, not yet in the memo

LinePlan Plan;  // user-interface thread only

// Beyond this many queued lines the worker waits for the user-interface
// thread to take them, so that a print loop cannot outgrow memory.
constexpr size_t QueueCatchUpLimit = 65536;
// Lines taken from the queue, or added to the memo, at a time.
constexpr int ChunkLines = 512;
constexpr auto SliceTime = std::chrono::milliseconds(5);
using Clock = std::chrono::steady_clock;

// Takes a chunk of queued lines into the plan; true when more are queued.
// The first line after the memo has caught up goes to the memo itself, and
// counts to `added`: the plan starts from a memo whose last line is ended.
bool PlanQueuedLines(ConsoleMemo &memo, int &added)
{
    static std::deque<QueuedLine> lines;  // keeps its room for the next chunk
    bool more = false;
    {
        std::lock_guard lock(QueueMutex);
        if (LineQueue.size() <= size_t(ChunkLines)) {
            lines.swap(LineQueue);
        } else {
            const auto chunkEnd = LineQueue.begin() + ChunkLines;
            lines.assign(std::make_move_iterator(LineQueue.begin()), std::make_move_iterator(chunkEnd));
            LineQueue.erase(LineQueue.begin(), chunkEnd);
            more = true;
        }
    }
    for (QueuedLine &line : lines) {
        if (Plan.Active()) {
            AddToMemo(Plan, std::move(line.Text), line.Prompt, true);
        } else {
            AddToMemo(memo, std::move(line.Text), line.Prompt, false);
            Plan.Begin(memo);
            ++added;
        }
    }
    lines.clear();
    return more;
}

// One slice on the user-interface thread: every queued line goes into the
// plan first, as time allows, then the memo follows the plan, at least one
// chunk each slice. True while lines remain; a posted step that finds none
// is the last one posted. The clock is read only once there is more than a
// chunk to do, so that a line on its own costs no reading.
bool DrainSlice(bool posted)
{
    ConsoleMemo &memo = Host().Memo();
    Clock::time_point end{};
    const auto timeUp = [&end] {
        const Clock::time_point now = Clock::now();
        if (end == Clock::time_point{})
            end = now + SliceTime;
        return now >= end;
    };
    int done = 0;
    while (PlanQueuedLines(memo, done) && !timeUp()) {
    }
    while (Plan.Active() && done < ConsoleSliceLines) {
        done += Plan.Apply(std::min(ChunkLines, ConsoleSliceLines - done));
        if (Plan.Active() && timeUp())
            break;
    }
    std::lock_guard lock(QueueMutex);
    LinesPending = !LineQueue.empty() || Plan.Active();
    if (posted && !LinesPending)
        DrainPosted = false;
    return LinesPending;
}

void DrainPostedSlice()
{
    if (DrainSlice(true))
        Host().Post(DrainPostedSlice);
}

size_t QueuedLineCount()
{
    std::lock_guard lock(QueueMutex);
    return LineQueue.size();
}

bool AnyLinePending()
{
    std::lock_guard lock(QueueMutex);
    return LinesPending;
}

} // namespace

void QueueConsoleLine(QString line, bool prompt)
{
    bool post = false;
    size_t queued = 0;
    {
        std::lock_guard lock(QueueMutex);
        LineQueue.push_back({std::move(line), prompt});
        LinesPending = true;
        queued = LineQueue.size();
        post = !DrainPosted;
        DrainPosted = true;
    }
    // Outside the lock: a host may run the step at once.
    if (post)
        Host().Post(DrainPostedSlice);
    while (queued >= QueueCatchUpLimit) {
        Host().Synchronise([] { DrainSlice(false); });
        queued = QueuedLineCount();
    }
}

void FlushConsoleLines()
{
    while (AnyLinePending())
        Host().Synchronise([] { DrainSlice(false); });
}

void DiscardConsoleLines()
{
    Plan.Reset();
    std::lock_guard lock(QueueMutex);
    LineQueue.clear();
    LinesPending = false;
    DrainPosted = false;  // a step still to come finds nothing
}

} // namespace ov
