// The built-in simulator: a simulated controller behind a pseudo-terminal
// pair inside the program, with a small panel where the operator plays the
// controller's part.
#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <memory>
#include <string>

#include "controller_sim.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSocketNotifier;

namespace taplink {

class SimulatorPanel : public QWidget {
    Q_OBJECT
  public:
    explicit SimulatorPanel(QWidget* parent = nullptr);
    ~SimulatorPanel() override;

    // The device TapLink opens; the pair is made on first use. Empty when the
    // system has no pseudo-terminals (why in *why).
    std::string SlavePath(std::string* why = nullptr);

    // What the operator does on the controller.
    void SetModel(sim::Model model);
    void StartInput();   // take a document from TapLink's Send
    void StartOutput();  // answer TapLink's Receive with what the panel holds
    QString Status() const;
    // What the controller holds, as bytes (text, or the image of a display).
    Bytes Held() const;
    void SetHeld(const Bytes& document);

  private:
    void Start(sim::Role role);
    void OnReadable();
    void OnWritable();
    // Each write after its delay; modem-line changes only go to the log.
    void Queue(const sim::Writes& writes);
    void Append(const Bytes& bytes);
    void ShowProgress();
    sim::Model CurrentModel() const;

    int master_ = -1;
    std::string slave_;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    Bytes pending_;
    std::unique_ptr<sim::ControllerSim> sim_;
    std::size_t logged_ = 0;
    bool shownResult_ = false;
    QElapsedTimer clock_;

    QComboBox* model_ = nullptr;
    QPushButton* input_ = nullptr;
    QPushButton* output_ = nullptr;
    QLabel* status_ = nullptr;
    QPlainTextEdit* held_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
};

}  // namespace taplink
