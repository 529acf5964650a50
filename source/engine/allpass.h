// One Schroeder allpass delay of the diffuser: y = -g*x + w[n-N], w = x + g*y.
#pragma once

#include <cstddef>

// 16-byte aligned blocks whose own address sits in the word below the result.
void* AlignMalloc(size_t bytes);
void AlignFree(void* aligned);

class allpass {
public:
    allpass();  // not audio: allocates the default 8192-sample buffer
    ~allpass();
    allpass(const allpass&) = delete;
    allpass& operator=(const allpass&) = delete;

    // Not audio: makes room for delays up to maxSize samples; never shrinks.
    void Reserve(int maxSize);
    // Audio-safe: installs a delay of n samples inside the reserved room (clamped to 1..Capacity()),
    // position 1, memory cleared.
    void SetBuffer(int n);
    void setfeedback(float g) { feedback = g; }
    // Audio-safe: clears the memory and the last output; the position stays.
    void mute();

    float process(float x) {
        const float d = buffer[position];
        const float y = -feedback * x + d;
        lastOutput = y;
        buffer[position] = feedback * y + x;
        if (++position >= size) position = 0;
        return y;
    }

    // Audio: for a renderer that runs many samples through the delay at once, with exactly the
    // arithmetic of process(): the memory (size + 2 floats), then the position and output reached.
    float* Memory() { return buffer; }
    void SetRunState(int nextPosition, float output) {
        position = nextPosition;
        lastOutput = output;
    }

    int GetSize() const { return size; }
    int GetPosition() const { return position; }
    int Capacity() const { return capacity; }
    float GetFeedback() const { return feedback; }
    float GetLastOutput() const { return lastOutput; }

private:
    float feedback;
    float* buffer;
    int size;
    int position;
    float lastOutput;
    int capacity;  // largest size the buffer holds (it has capacity + 2 floats)
    float fallback[3];  // capacity 1, used only when no heap block could be had: buffer is never null
};
