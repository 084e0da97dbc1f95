// The floors the program's idle cost and start-up are compared with: a tray icon and a one-second timer,
// nothing else; with --caption also a small frameless window that shows the same Japanese caption as the
// program's widget ("Bare Caption"), in the same font.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QPixmap picture(22, 22);
    picture.fill(Qt::darkCyan);
    QSystemTrayIcon tray{QIcon(picture)};
    tray.setToolTip(QStringLiteral("bare-tray"));
    tray.show();
    QLabel caption;
    if (app.arguments().contains(QStringLiteral("--caption"))) {
        QFont::insertSubstitutions(QStringLiteral("MS UI Gothic"),
                                   {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
        caption.setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
        caption.setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
        caption.setWindowTitle(QStringLiteral("Bare Caption"));
        caption.setText(QStringLiteral("東京 晴れ\n3℃ / 12℃"));
        caption.setAlignment(Qt::AlignCenter);
        caption.resize(120, 90);
        caption.show();
    }
    int ticks = 0;
    QTimer timer;
    timer.setInterval(1000);
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();
    return app.exec();
}
