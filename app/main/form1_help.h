// The Help menu as the main window carries it: "&Contents...." (also F1 and the Help
// button) opens the manual, "&Homepage" the product's home page, both in the desktop's
// default browser through the web-page routine and the URL label.
#pragma once

#include "platform/url_opener.h"

#include <memory>

class Form1;

class Form1Help {
  public:
    // Without an opener of the caller's, the desktop's own.
    Form1Help(Form1& form, platform::UrlOpener* opener);

    void myHomepage_Click();
    void HelpContents_Click();
    // Opens the address in the URL label.
    void openWebPage();

  private:
    Form1& form_;
    std::unique_ptr<platform::UrlOpener> ownOpener_;
    platform::UrlOpener& opener_;
};
