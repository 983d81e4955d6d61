// The least a program must do to show what Couchframe shows first: a Qt full-screen window on black
// with one label in the screens' font, reporting its first paint the way couchframe does. bench/run
// starts it beside couchframe, so that the start-up time and idle memory have a reference.

#include "app/first_paint_report.h"
#include "platform/fonts.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window.setGeometry(QGuiApplication::primaryScreen()->geometry());
    window.setStyleSheet(QStringLiteral("background: black; color: white;"));
    QLabel label(QStringLiteral("Couchframe"), &window);
    label.setFont(ScreenFont(-window.height() / 12));
    label.setAlignment(Qt::AlignCenter);
    label.setGeometry(window.rect());
    ReportFirstPaintWhenAsked(&window);
    window.show();
    return app.exec();
}
