#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace marrowlight {

class LineProducer;
class SpoolFile;

// Runs a producer from the event loop: a slice of about SliceMs at a time
// while it has more, again when its descriptor becomes readable (or at the
// next poll) while it waits, never again once it finished. After a slice
// that brought text or a new state, Changed asks for a pass of the log.
class ProducerPump : public QObject {
    Q_OBJECT

  public:
    static constexpr int SliceMs = 20;

    ProducerPump(std::unique_ptr<LineProducer> producer, std::shared_ptr<SpoolFile> spool,
                 std::function<void()> changed, QObject* parent = nullptr);
    ~ProducerPump() override;

    // The first slice, on the next turn of the event loop.
    void Start();
    // A polling pass: a producer that waits with no descriptor is asked again.
    void Poll();
    bool Finished() const { return finished_; }
    // What the state panel shows instead of the reader's text; empty: that.
    std::string StateText() const;
    bool Follows() const;
    const std::shared_ptr<SpoolFile>& Spool() const { return spool_; }

  private:
    void RunSlice();
    void Wait();
    void Finish();

    std::unique_ptr<LineProducer> producer_;
    std::shared_ptr<SpoolFile> spool_;
    std::function<void()> changed_;
    QTimer sliceTimer_;
    std::unique_ptr<QSocketNotifier> wake_;
    bool waiting_ = false;
    bool finished_ = false;
    std::string shownState_;
};

} // namespace marrowlight
