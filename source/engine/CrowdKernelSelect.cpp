#include "engine/CrowdKernel.h"

CrowdKernelFn SelectCrowdKernel() { return &RenderCrowdScalar; }

const char* CrowdKernelName(CrowdKernelFn kernel) {
    if (kernel == &RenderCrowdScalar) return "scalar";
    return "unknown";
}
