#pragma once

#include <QObject>

namespace zarvex::gui {

// Turns SIGTERM and SIGINT (logout, Ctrl+C in a terminal) into an orderly quit
// of the application's event loop, so that its clean-up runs. One per process.
class QuitOnSignal : public QObject {
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;
};

} // namespace zarvex::gui
