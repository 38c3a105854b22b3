#include "TacQuickAboutBox.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TacQuickAboutBox::TacQuickAboutBox(QWidget* owner) : QObject(owner) {}

void TacQuickAboutBox::Execute()
{
    QDialog dialog(qobject_cast<QWidget*>(parent()));
    dialog.setObjectName(QStringLiteral("acQuickAboutBox"));
    dialog.setWindowTitle(caption());
    dialog.setWindowIcon(QApplication::windowIcon());
    auto* layout = new QVBoxLayout(&dialog);
    auto* name = new QLabel(QStringLiteral("<b>Калейдор</b>"), &dialog);
    name->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(QStringLiteral("Версия 1.5"), &dialog);
    version->setAlignment(Qt::AlignCenter);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), &dialog);
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(close, 0, Qt::AlignCenter);
    dialog.setFixedWidth(290);
    dialog.exec();
}
