// The whole portable art codec: decoder, colour tables, scaling, spot,
// encoder and colour-table builder.
#pragma once

#include "codec/art_encoder.h"
#include "codec/art_format.h"
#include "codec/codec_base.h"
#include "codec/codec_context.h"
#include "codec/codec_options.h"
#include "codec/palette.h"
#include "codec/palette_builder.h"
#include "codec/scale.h"
#include "codec/spot.h"
#include "codec/wavelet.h"
