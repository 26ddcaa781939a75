// The loading form: a small window with a caption and a progress bar, shown
// (without taking the focus) while the editor does long work on a large text,
// such as the tidy-up or opening a large file. One is made at start-up.
#pragma once

#include <QString>
#include <QWidget>

class QProgressBar;

namespace ov {

class TOVLoadWaitForm : public QWidget {
    Q_OBJECT

public:
    explicit TOVLoadWaitForm(QWidget *parent = nullptr);
    ~TOVLoadWaitForm() override;

    QProgressBar *ProgressBar1 = nullptr;

    // Shows the form centred on the screen with `caption` and the bar from 0
    // to `maximum`, painted at once: the work that follows does not return
    // to the event loop.
    void Start(const QString &caption, int maximum);
    // Moves the bar; it repaints itself when the change is visible.
    void SetPosition(int position);
    // Hides the form; the caption goes back to "loading".
    void Finish();
};

// The form made at start-up; null while there is none.
extern TOVLoadWaitForm *OVLoadWaitForm;

// Texts longer than this show the loading form while they are worked on.
constexpr int LoadWaitLength = 10000;

inline bool LoadWaitNeeded(int textLength) { return textLength > LoadWaitLength; }

// Shows the loading form for the life of the scope when the text is long
// and there is a form; does nothing otherwise.
class LoadWaitScope {
public:
    LoadWaitScope(const QString &caption, int textLength);
    ~LoadWaitScope();
    LoadWaitScope(const LoadWaitScope &) = delete;
    LoadWaitScope &operator=(const LoadWaitScope &) = delete;

    bool Shown() const { return form_ != nullptr; }
    void SetPosition(int position);

private:
    TOVLoadWaitForm *form_ = nullptr;
};

} // namespace ov
