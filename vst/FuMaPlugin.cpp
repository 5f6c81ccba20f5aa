// The factory of corvane-velmora-xy3-2d.so: outputs W X Y U V P Q with
// Furse-Malham weights.
#include "vst/NelAmbiEncEdit.h"

AudioEffect* createEffectInstance(audioMasterCallback hostCallback)
{
    return new NelAmbiEncEdit(hostCallback, EffectIdentity::fuma());
}
