#include "windows/Trigonometry.h"

#include <cmath>

namespace {

// Beyond this the three-part reduction by pi/2 would lose bits.
const double kReducedRange = 1e5;
// Below this sin(x) rounds to x and cos(x) to 1.
const double kTiny = 0x1p-27;

const double kTwoOverPi = 0x1.45f306dc9c883p-1;
// pi/2 in three parts: the first two have 33 significant bits, so their
// products with a quotient below 2^20 are exact.
const double kHalfPi1 = 0x1.921fb544p+0;
const double kHalfPi2 = 0x1.0b4611a6p-34;
const double kHalfPi3 = 0x1.3198a2e037073p-69;

const double kHalfPiHigh = 0x1.921fb54442d18p+0, kHalfPiLow = 0x1.1a62633145c07p-54;
const double kPiHigh = 0x1.921fb54442d18p+1, kPiLow = 0x1.1a62633145c07p-53;

// sin r = r - r^3 (1/3! - r^2/5! + r^4/7! - ...): the terms to r^19, whose
// next one is below 1e-19 for |r| <= pi/4.
const double kSin[] = {0x1.5555555555555p-3,  -0x1.1111111111111p-7, 0x1.a01a01a01a01ap-13,
                       -0x1.71de3a556c734p-19, 0x1.ae64567f544e4p-26, -0x1.6124613a86d09p-33,
                       0x1.ae7f3e733b81fp-41,  -0x1.952c77030ad4ap-49, 0x1.2f49b46814157p-57};
// cos r = 1 - r^2/2 + r^4 (1/4! - r^2/6! + ...), to r^20.
const double kCos[] = {0x1.5555555555555p-5,  -0x1.6c16c16c16c17p-10, 0x1.a01a01a01a01ap-16,
                       -0x1.27e4fb7789f5cp-22, 0x1.1eed8eff8d898p-29,  -0x1.93974a8c07c9dp-37,
                       0x1.ae7f3e733b81fp-45,  -0x1.6827863b97d97p-53, 0x1.e542ba4020225p-62};

// atan(i/16) for i = 0..16, each as a double and the rest beyond it.
const double kAtanTable[17][2] = {
    {0x0.0p+0, 0x0.0p+0},
    {0x1.ff55bb72cfdeap-5, -0x1.c934d86d23f1dp-60},
    {0x1.fd5ba9aac2f6ep-4, -0x1.cd37686760c17p-59},
    {0x1.7b97b4bce5b02p-3, 0x1.347b0b4f881cap-58},
    {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},
    {0x1.362773707ebccp-2, -0x1.963a544b672d8p-57},
    {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56},
    {0x1.a64eec3cc23fdp-2, -0x1.24dec1b50b7ffp-56},
    {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},
    {0x1.0657e94db30d0p-1, -0x1.d5b495f6349e6p-56},
    {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58},
    {0x1.345f01cce37bbp-1, 0x1.1021137c71102p-55},
    {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},
    {0x1.5d58987169b18p-1, 0x1.0028e4bc5e7cap-57},
    {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56},
    {0x1.819d0b7158a4dp-1, -0x1.bf76229d3b917p-56},
    {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},
};

template <size_t N> double horner(const double (&c)[N], double z)
{
    double p = c[N - 1];
    for (size_t i = N - 1; i-- > 0;)
        p = p * z + c[i];
    return p;
}

// x = n pi/2 + (high + low), |high + low| <= about pi/4; answers n mod 4.
int reduce(double x, double& high, double& low)
{
    const double t = x * kTwoOverPi;
    const double n = double(static_cast<long long>(t < 0 ? t - 0.5 : t + 0.5));
    const double y = x - n * kHalfPi1; // exact: Sterbenz
    const double w = n * kHalfPi2;     // exact: 33 + 20 bits
    high = y - w;
    low = ((y - high) - w) - n * kHalfPi3;
    return int(static_cast<long long>(n) & 3);
}

// sin and cos of high + low, |high| <= pi/4 and low a correction below
// its last place.
double sinKernel(double high, double low)
{
    const double z = high * high;
    return high + (low * (1.0 - 0.5 * z) - high * z * horner(kSin, z));
}

double cosKernel(double high, double low)
{
    const double z = high * high;
    const double hz = 0.5 * z;
    const double w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + (z * z * horner(kCos, z) - high * low));
}

// atan z for |z| <= 1/32: z - z^3/3 + ... + z^11/11.
double atanSmall(double z)
{
    static const double c[] = {1.0 / 3.0, -1.0 / 5.0, 1.0 / 7.0, -1.0 / 9.0, 1.0 / 11.0};
    const double z2 = z * z;
    return z - z * z2 * horner(c, z2);
}

// The product a b as high + low exactly (Dekker's split: no fused
// multiply-add, which the build forbids).
void exactProduct(double a, double b, double& high, double& low)
{
    const double kSplit = 0x1p27 + 1.0;
    const double ta = kSplit * a, tb = kSplit * b;
    const double ah = ta - (ta - a), al = a - ah;
    const double bh = tb - (tb - b), bl = b - bh;
    high = a * b;
    low = ((ah * bh - high) + ah * bl + al * bh) + al * bl;
}

// atan(t + tLow) for 0 <= t <= 1, tLow a correction below t's last place:
// from the nearest i/16, atan t = atan(i/16) + atan((t - i/16) / (1 + t i/16)).
double atanUnit(double t, double tLow)
{
    const int i = int(t * 16.0 + 0.5);
    if (i == 0)
        return atanSmall(t) + tLow;
    const double c = double(i) / 16.0;
    // t - c is exact (c/2 <= t <= 2c); the correction rides along.
    const double z = ((t - c) + tLow) / (1.0 + t * c);
    return kAtanTable[i][0] + (kAtanTable[i][1] + atanSmall(z));
}

// atan(a/b) for 0 < a <= b (finite and normal, and so the quotient): the
// quotient's rounding error, recovered exactly, goes in as a correction.
double atanOfQuotient(double a, double b)
{
    const double q = a / b;
    double high, low;
    exactProduct(q, b, high, low);
    const double remainder = (a - high) - low; // a - q b, exact
    return atanUnit(q, remainder / b);
}

bool reducible(double x)
{
    return std::fabs(x) <= kReducedRange; // false for NaN too
}

} // namespace

double Trigonometry::sin(double x)
{
    if (!reducible(x))
        return double(std::sin(static_cast<long double>(x)));
    if (std::fabs(x) < kTiny)
        return x;
    double high, low;
    switch (reduce(x, high, low)) {
    case 0: return sinKernel(high, low);
    case 1: return cosKernel(high, low);
    case 2: return -sinKernel(high, low);
    default: return -cosKernel(high, low);
    }
}

double Trigonometry::cos(double x)
{
    if (!reducible(x))
        return double(std::cos(static_cast<long double>(x)));
    if (std::fabs(x) < kTiny)
        return 1.0;
    double high, low;
    switch (reduce(x, high, low)) {
    case 0: return cosKernel(high, low);
    case 1: return -sinKernel(high, low);
    case 2: return -cosKernel(high, low);
    default: return sinKernel(high, low);
    }
}

void Trigonometry::sincos(double x, double* sine, double* cosine)
{
    if (!reducible(x) || std::fabs(x) < kTiny) {
        *sine = sin(x);
        *cosine = cos(x);
        return;
    }
    double high, low;
    const int quadrant = reduce(x, high, low);
    const double s = sinKernel(high, low), c = cosKernel(high, low);
    switch (quadrant) {
    case 0: *sine = s; *cosine = c; break;
    case 1: *sine = c; *cosine = -s; break;
    case 2: *sine = -s; *cosine = -c; break;
    default: *sine = -c; *cosine = s; break;
    }
}

double Trigonometry::atan2(double y, double x)
{
    const double ay = std::fabs(y), ax = std::fabs(x);
    // Zeros, infinities, NaNs, subnormals, and quotients that would overflow
    // or lose bits: C's answers, from the long double function.
    const double smaller = ay < ax ? ay : ax, larger = ay < ax ? ax : ay;
    if (!(std::isnormal(x) && std::isnormal(y) && std::isnormal(smaller / larger) && larger < 0x1p1000))
        return double(std::atan2(static_cast<long double>(y), static_cast<long double>(x)));
    // The angle from the nearer axis, then its quadrant.
    double a = ay <= ax ? atanOfQuotient(ay, ax) : kHalfPiHigh - (atanOfQuotient(ax, ay) - kHalfPiLow);
    if (x < 0.0)
        a = kPiHigh - (a - kPiLow);
    return y < 0.0 ? -a : a;
}
