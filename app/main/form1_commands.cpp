// Form1's command table made real: menus, flat toolbar buttons and hidden handler buttons,
// each running its command through the router, and greyed out while it has no handler.
#include "form1.h"

#include "command_table.h"
#include "flat_button.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>

void Form1::createCommands() {
    for (const browse::ForwardSpec& f : browse::forwardTable())
        commands_.forward(f.from, f.to);
    commands_.setHandler(browse::kOpenHandler, [this] { myOpenFile_1(); });
    commands_.setHandler(browse::kExitHandler, [this] { Exit_Click(); });

    for (const browse::MenuSpec& entry : browse::menuTable()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(entry.caption));
        menu->setObjectName(QString::fromLatin1(entry.name));
        for (const browse::MenuItemSpec& item : entry.items) {
            const QString name = QString::fromLatin1(item.name);
            QAction* action = item.caption ? menu->addAction(QString::fromLatin1(item.caption))
                                           : menu->addSeparator();
            action->setObjectName(name);
            if (!item.caption) continue;
            if (item.shortcut)
                action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
            if (name == QLatin1String("mLoop")) action->setCheckable(true);
            connect(action, &QAction::triggered, this, [this, name] { runCommand(name); });
            commandControls_.emplace_back(action, name);
        }
    }

    using browse::PictureState;
    for (const browse::FlatButtonSpec& entry : browse::flatButtonTable()) {
        const QString name = QString::fromLatin1(entry.name);
        auto* button = new FlatButton(client_);
        button->setObjectName(name);
        const int size = browse::px(entry.size);
        button->setPicture(browse::toolbarPicture(entry.glyph, size, PictureState::Normal));
        button->setPictureOver(browse::toolbarPicture(entry.glyph, size, PictureState::Over));
        button->setPictureDown(browse::toolbarPicture(entry.glyph, size, PictureState::Down));
        if (*entry.tooltip) button->setToolTip(QString::fromLatin1(entry.tooltip));
        if (name == QLatin1String("FlatBttn21")) button->setText(QStringLiteral("Skn"));
        button->setVisible(entry.shown);
        connect(button, &FlatButton::clicked, this, [this, name] { runCommand(name); });
        commandControls_.emplace_back(button, name);
    }

    for (const browse::HiddenButtonSpec& entry : browse::hiddenButtonTable()) {
        const QString name = QString::fromLatin1(entry.name);
        auto* button = new QPushButton(QString::fromLatin1(entry.caption), client_);
        button->setObjectName(name);
        button->hide();
        connect(button, &QPushButton::clicked, this, [this, name] { runCommand(name); });
        commandControls_.emplace_back(button, name);
    }

    for (const browse::ControlHandlerSpec& entry : browse::controlHandlerTable())
        if (auto* control = client_->findChild<QWidget*>(QString::fromLatin1(entry.control)))
            commandControls_.emplace_back(control, QString::fromLatin1(entry.handler));

    refreshCommandStates();
}

void Form1::refreshCommandStates() {
    for (const auto& [control, command] : commandControls_) {
        const bool on = commands_.available(command);
        if (auto* action = qobject_cast<QAction*>(control))
            action->setEnabled(on);
        else if (auto* widget = qobject_cast<QWidget*>(control))
            widget->setEnabled(on);
    }
}
