#pragma once
// The pages the disk scan writes: the audio page (page 10) and the thumbnails page (page 14).

#include "scan/audio_page.h"   // WriteAudioFirstSection, WriteAudioSecondSection
#include "scan/thumb_stores.h" // ProcessThumbStores
