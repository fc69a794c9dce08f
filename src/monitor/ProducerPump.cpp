#include "monitor/ProducerPump.h"

#include "monitor/core/LineProducer.h"
#include "monitor/core/SpoolFile.h"

#include <QSocketNotifier>
#include <chrono>
#include <utility>

namespace marrowlight {

ProducerPump::ProducerPump(std::unique_ptr<LineProducer> producer, std::shared_ptr<SpoolFile> spool,
                           std::function<void()> changed, QObject* parent)
    : QObject(parent), producer_(std::move(producer)), spool_(std::move(spool)),
      changed_(std::move(changed)) {
    sliceTimer_.setSingleShot(true);
    connect(&sliceTimer_, &QTimer::timeout, this, [this] { RunSlice(); });
    if (const int fd = producer_->WakeDescriptor(); fd >= 0) {
        wake_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        wake_->setEnabled(false);
        connect(wake_.get(), &QSocketNotifier::activated, this, [this] {
            wake_->setEnabled(false);
            RunSlice();
        });
    }
}

ProducerPump::~ProducerPump() = default;

void ProducerPump::Start() {
    if (!finished_)
        sliceTimer_.start(0);
}

void ProducerPump::Poll() {
    if (waiting_ && !wake_ && !sliceTimer_.isActive())
        RunSlice();
}

std::string ProducerPump::StateText() const {
    return producer_->StateText();
}

bool ProducerPump::Follows() const {
    return producer_->Follows();
}

void ProducerPump::RunSlice() {
    if (finished_)
        return;
    waiting_ = false;
    const int sliceMs = std::exchange(started_, true) ? SliceMs : FirstSliceMs;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(sliceMs);
    ProduceStatus status = ProduceStatus::Finished;
    try {
        status = producer_->Produce(*spool_, deadline);
    } catch (...) {
        // A producer that throws would throw again on every turn.
        Finish();
        throw;
    }
    switch (status) {
    case ProduceStatus::More:
        sliceTimer_.start(0);
        break;
    case ProduceStatus::Waiting:
        Wait();
        break;
    case ProduceStatus::Finished:
        Finish();
        break;
    }
    std::string state = producer_->StateText();
    const bool newState = state != shownState_;
    // Unpacking goes on in slices that each bring text; the reader is asked
    // to take it in fewer, larger passes.
    if (!newState && !finished_ && status == ProduceStatus::More && !producer_->Follows() &&
        sinceChanged_.isValid() && sinceChanged_.elapsed() < UnpackChangeMs)
        return;
    spool_->Flush();
    if (finished_)
        spool_->Release();
    if (spool_->Written() != shownBytes_ || newState) {
        shownBytes_ = spool_->Written();
        shownState_ = std::move(state);
        sinceChanged_.start();
        changed_();
    }
}

void ProducerPump::Wait() {
    waiting_ = true;
    if (wake_)
        wake_->setEnabled(true);
}

void ProducerPump::Finish() {
    finished_ = true;
    waiting_ = false;
    sliceTimer_.stop();
    if (wake_)
        wake_->setEnabled(false);
    // A last line without its end would never be shown.
    if (spool_->LastByte() != '\n')
        spool_->Append("\n");
}

} // namespace marrowlight
