#include "app/frm_vantrel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>

#include "dialog/frm_confirm.h"
#include "platform/forms/program.h"
#include "platform/forms/twips.h"

namespace vantrel {
namespace {

QLabel* NewTitleLabel(QWidget* parent, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont font(QStringLiteral("Georgia"));
    font.setPointSize(36);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::Button));
    label->setPalette(palette);
    label->setAutoFillBackground(false);  // the blue shows through
    return label;
}

}  // namespace

FrmVantrel::FrmVantrel() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("Form1"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 192));
    setPalette(palette);
    setAutoFillBackground(true);
    resize(TwipsSize(11685, 6975));

    Label1[0] = NewTitleLabel(this, "ZORVIK-Viewer");
    PlaceInTwips(*Label1[0], 240, 360, 6735, 975);
    Label1[1] = NewTitleLabel(this, "Reference Vantrel");
    PlaceInTwips(*Label1[1], 480, 1560, 11055, 1695);
}

void FrmVantrel::Form_Load() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    setGeometry(0, 0, screen->size().width(), screen->size().height());
    show();
    FrmConfirm confirm(this);
    confirm.ShowModal();
}

void FrmVantrel::closeEvent(QCloseEvent* event) {
    event->accept();
    RunEventHandler([] { EndProgram(kExitNotInstalled); });
}

}  // namespace vantrel
