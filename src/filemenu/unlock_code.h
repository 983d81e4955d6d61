#pragma once

#include <QString>

// Matching of the category's unlock code as digits are typed on the registered-folder level.
class UnlockCodeEntry {
public:
    void SetCode(const QString& code);
    // A digit key: counts only at depth 0 while the code is not complete and the digit is the
    // next one expected; anything else starts over (a wrong digit does not begin a new attempt).
    void Digit(QChar digit, int depth);
    // Enter: whether the whole code has been typed; the progress starts over in any case. An empty
    // code is never complete, so that Enter still opens entries.
    bool TakeEnter();
    int Progress() const { return progress_; }

private:
    QString code_;
    int progress_ = 0;
};
