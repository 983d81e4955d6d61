#include "filemenu/unlock_code.h"

void UnlockCodeEntry::SetCode(const QString& code) {
    code_ = code;
    progress_ = 0;
}

void UnlockCodeEntry::Digit(QChar digit, int depth) {
    if (depth == 0 && progress_ < code_.size() && code_[progress_] == digit)
        ++progress_;
    else
        progress_ = 0;
}

bool UnlockCodeEntry::TakeEnter() {
    const bool complete = !code_.isEmpty() && progress_ == code_.size();
    progress_ = 0;
    return complete;
}
