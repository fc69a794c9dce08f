#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace marrowlight {

// The "Advanced" page: how logs are polled and how the main window behaves.
class AdvancedPage : public QWidget {
    Q_OBJECT
  public:
    explicit AdvancedPage(QWidget* parent = nullptr);

    QRadioButton *UpdateOnChangeButton, *UpdateForcedButton;
    QComboBox* UpdateEachList;
    QCheckBox *StayOnTopBox, *RestoreWindowBox;
    // Offered only where the desktop has a system tray.
    QCheckBox* ShowInTrayBox;
    bool TrayOffered = false;
    void OfferTray(bool offered);
    QCheckBox* ReopenSessionBox;
};

} // namespace marrowlight
