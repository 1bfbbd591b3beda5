#include "form1_tools.h"

#include "skin_component.h"

#include "platform/program_folder.h"

Form1Tools::Form1Tools(Form1& form, platform::FileDialog& fileDialog,
                       platform::MessageBoxes& messages, platform::Drives& drives) {
    host_ = std::make_unique<Form1ToolHost>(
        form, messages, [this](tools::ToolDialog d) { windows_->show(d); });
    tools::ToolServices services;
    services.drives = &drives;
    services.stubPath =
        platform::inFolder(form.programDir(), QStringLiteral("exeh")).toStdString();
    services.applySkin = [](QWidget& w) { applyStoredSkin(w); };
    windows_ = std::make_unique<tools::ToolWindows>(*host_, fileDialog, std::move(services));
    windows_->setOwner(&form);
    auto& c = windows_->commands();
    form.setHandler(QStringLiteral("Command19"), [&c] { c.Command19_Click(); });
    form.setHandler(QStringLiteral("Command24"), [&c] { c.Command24_Click(); });
    form.setHandler(QStringLiteral("mySaveAs"), [&c] { c.mySaveAs(); });
    form.setHandler(QStringLiteral("Command17"), [&c] { c.Command17_Click(); });
    form.setHandler(QStringLiteral("Command18"), [&c] { c.Command18_Click(); });
    search_ = std::make_unique<tools::SearchWindows>(*host_, drives,
                                                     [](QWidget& w) { applyStoredSkin(w); });
    form.setHandler(QStringLiteral("mySearch"), [this] { search_->mySearch_Click(); });
}
