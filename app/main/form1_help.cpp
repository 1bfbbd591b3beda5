#include "form1_help.h"

#include "form1.h"

#include "app/tools/web_pages.h"

Form1Help::Form1Help(Form1& form, platform::UrlOpener* opener)
    : form_(form), ownOpener_(opener ? nullptr : std::make_unique<platform::DesktopUrlOpener>()),
      opener_(opener ? *opener : *ownOpener_) {
    form.setHandler(QStringLiteral("HelpContents"), [this] { HelpContents_Click(); });
    form.setHandler(QStringLiteral("myHomepage"), [this] { myHomepage_Click(); });
}

void Form1Help::myHomepage_Click() {
    form_.setHiddenLabel(browse::HiddenLabel::URL, tools::homePageAddress(form_.programDir()));
    openWebPage();
}

void Form1Help::HelpContents_Click() {
    tools::openAddress(opener_, tools::manualAddress(form_.programDir()));
}

void Form1Help::openWebPage() {
    tools::openAddress(opener_, form_.hiddenLabel(browse::HiddenLabel::URL));
}
