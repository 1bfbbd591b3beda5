// Routes the main window's commands. Menu items, toolbar buttons and hidden handler buttons
// each name the command they forward to; a chain of forwards ends at a handler. A command
// whose chain ends at no handler yet is unavailable, and the window greys it out.
#pragma once

#include <QString>

#include <functional>
#include <map>

namespace browse {

class CommandRouter {
  public:
    // `from` does nothing but run `to`.
    void forward(const QString& from, const QString& to) { forwards_[from] = to; }
    void setHandler(const QString& name, std::function<void()> handler);

    // The name at the end of `name`'s chain of forwards.
    QString resolve(const QString& name) const;
    bool available(const QString& name) const;
    // Runs the command's handler; false when it has none.
    bool invoke(const QString& name) const;

  private:
    std::map<QString, QString> forwards_;
    std::map<QString, std::function<void()>> handlers_;
};

} // namespace browse
