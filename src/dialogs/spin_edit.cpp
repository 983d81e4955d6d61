#include "dialogs/spin_edit.h"

#include <algorithm>

SpinEdit::SpinEdit(QWidget* parent) : QSpinBox(parent) {
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

QValidator::State SpinEdit::validate(QString& input, int&) const {
    const QString decimalPoint = locale().decimalPoint();
    for (QChar c : input) {
        const bool allowed = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                             c == QLatin1Char('+') || c == QLatin1Char('-') ||
                             decimalPoint.contains(c);
        if (!allowed)
            return QValidator::Invalid;
    }
    // Every typable text reads as some value, so the value always follows the text.
    return QValidator::Acceptable;
}

int SpinEdit::valueFromText(const QString& text) const {
    bool isNumber = false;
    const qlonglong number = text.toLongLong(&isNumber);
    if (!isNumber)
        return minimum();
    return static_cast<int>(std::clamp<qlonglong>(number, minimum(), maximum()));
}
