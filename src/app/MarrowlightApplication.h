#pragma once

#include <QApplication>
#include <QString>
#include <functional>
#include <optional>

namespace marrowlight {

// Runs `deliver`; the text of an exception escaping it, nullopt when none did.
std::optional<QString> CatchFailure(const std::function<void()>& deliver);

// The one place where an exception escaping an event handler is caught: it
// is shown in a message box titled "Marrowlight" and the program carries on.
// Every window of the application carries Marrowlight's icon.
class MarrowlightApplication : public QApplication {
    Q_OBJECT

  public:
    MarrowlightApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    bool reporting_ = false;
};

} // namespace marrowlight
