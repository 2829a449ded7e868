// Leak checking for the sound tests. ALSA loads its plugins (the PulseAudio and JACK bridges)
// with dlopen and unloads them again; what their libraries allocate while loading is then
// reported as lost, although neither Tarnvel nor the test owns it. Those reports are ignored,
// which needs the full (slow) stack walk to see that ALSA loaded the code that allocated.

extern "C" {

const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}

const char* __lsan_default_suppressions() {
    return "leak:snd_dlopen\n";
}
}
