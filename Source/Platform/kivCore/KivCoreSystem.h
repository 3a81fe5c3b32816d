// Export macro of the core library. Everything else in libkivCore.so is hidden.
#pragma once

#define KIVCORE_API __attribute__((visibility("default")))
