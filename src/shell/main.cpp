#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("PROGRAM JADLONIA wer. 2.52"));
    w.show();
    return app.exec();
}
