#pragma once

#include <QString>

// Synthesizes the sound a recipe describes and saves it as 16-bit mono 22050 Hz PCM WAVE.
//
// A recipe is plain text, one statement a line; '#' at the start of a word begins a comment.
//   length SECONDS   total length (default: where the last voice ends)
//   peak LEVEL       the loudest sample is scaled to this share of full scale (default 0.8)
//   seed N           start of the noise generator, so every build gives the same file
//   tone KEY=VALUE...    a voice; "noise" is the same with wave=noise
// Voice keys: at, dur (seconds, required); wave=sine|square|triangle|saw|noise; freq=F or
// freq=F0:F1 for a glide, in Hz or as a note (A4, C#5, Bb3), which for noise sets a coarse
// grain; vol; attack, decay (seconds), sustain (0..1), release (seconds, inside dur);
// duty (square); vibrato=RATE:SEMITONES; tremolo=RATE:DEPTH; detune=CENTS (a second reed);
// lowpass, highpass, bandpass=F or F0:F1 (cutoff glides), with q= their resonance;
// repeat=COUNT:INTERVAL plays the voice again every INTERVAL seconds.
void renderSound(const QString &recipePath, const QString &wavPath);
