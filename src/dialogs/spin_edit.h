#pragma once

#include <QSpinBox>

// A whole-number spin edit that takes any typed text of digits, signs and the decimal separator:
// text that is not a number reads as the minimum, a number outside the bounds as the nearer bound,
// and leaving the field shows the value it reads as.
class SpinEdit : public QSpinBox {
public:
    explicit SpinEdit(QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    int valueFromText(const QString& text) const override;
};
