#pragma once

#include <QElapsedTimer>
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
    // A turn of the event loop may also run a slice of the reader's load
    // of the same text (about 30 ms): together they stay under 50 ms.
    static constexpr int SliceMs = 10;
    // The first rows show sooner after a short first slice.
    static constexpr int FirstSliceMs = 3;
    // A finished text being unpacked asks for a pass at most this often:
    // each pass and the repaint after it cost the same however few rows
    // came, and rows arriving this often still show the load going on.
    static constexpr int UnpackChangeMs = 40;

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
    bool started_ = false;
    std::string shownState_;
    QElapsedTimer sinceChanged_;
    uint64_t shownBytes_ = 0;
};

} // namespace marrowlight
