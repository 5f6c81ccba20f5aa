// The factory of corvane-velmora-xy3-2d-ambix.so: the same effect with its
// outputs in ACN order and SN3D weights.
#include "vst/NelAmbiEncEdit.h"

AudioEffect* createEffectInstance(audioMasterCallback hostCallback)
{
    return new NelAmbiEncEdit(hostCallback, EffectIdentity::ambix());
}
