// The buffers of one open stream, shared by the caller's thread (which queues and
// returns them) and the device's thread (which plays or fills them). Only this queue's
// lock guards the buffer memory: a device thread copies samples in or out under it and
// never keeps a pointer into a buffer, so once a buffer left the queue (done, or taken
// back by a reset) nothing touches its memory any more. The caller's WAVEHDR is never
// seen here; the layer updates it on its own thread.
#pragma once

#include <QtGlobal>

#include <deque>
#include <functional>
#include <mutex>
#include <vector>

class WaveBlockQueue {
public:
    struct Finished {
        quint64 id = 0;
        quint32 bytes = 0; // bytes recorded into an input buffer; an output buffer's length
    };

    // notify runs (on any thread, outside the lock) when finished() has something new
    // after being drained.
    explicit WaveBlockQueue(std::function<void()> notify = {});

    // --- The caller's side ---
    void push(quint64 id, char* data, quint32 length);
    // Every finished buffer since the last call, in order.
    std::vector<Finished> takeFinished();
    // Ends the stream's use of every buffer: finished ones first, then the queued ones
    // (an input buffer with what it has recorded), in order. Counters start again at 0.
    std::vector<Finished> clear();
    // An input buffer partly filled is finished as it is (stopping a recording).
    void finishPartial();
    bool empty() const;

    // --- The device's side ---
    // Copies up to max queued output bytes (not yet taken) into dst; returns the count.
    quint32 read(char* dst, quint32 max);
    // Output bytes taken and not finished yet: buffers finish as playedTotal (bytes since
    // the last clear) passes their end.
    void markPlayed(quint64 playedTotal);
    // Copies up to n bytes into the queued input buffers, finishing each that fills;
    // returns what fitted (0 when no buffer is queued).
    quint32 write(const char* src, quint32 n);
    bool hasData() const; // output bytes not taken yet
    quint64 taken() const; // output bytes taken since the last clear
    quint64 played() const;
    quint64 recorded() const; // input bytes written since the last clear
    // Bumped by every clear, so a device thread can drop what it took before.
    quint64 generation() const;

private:
    struct Block {
        quint64 id;
        char* data;
        quint32 length;
        quint32 offset; // bytes taken (output) or filled (input)
        quint64 end; // output: total taken when its last byte was taken
    };

    void finishLocked(const Block& block, quint32 bytes, bool* wake);

    mutable std::mutex m_mutex;
    std::function<void()> m_notify;
    std::deque<Block> m_queued; // not wholly taken (output) or not full (input)
    std::deque<Block> m_taken; // output taken wholly, waiting to be played
    std::vector<Finished> m_finished;
    quint64 m_takenBytes = 0;
    quint64 m_played = 0;
    quint64 m_recorded = 0;
    quint64 m_generation = 0;
};
