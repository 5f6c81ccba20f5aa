#pragma once

#include <cstdint>

// The channel layout an encoder is built for, fixed at construction.
// The numbers belong to the interface: the effect builds its encoder with 5.
enum AmbiOrder : int32_t {
    Order1H0V = 0, // W X Y
    Order1H1V = 1, // W X Y Z
    Order2H0V = 2, // W X Y U V
    Order2H1V = 3, // W X Y Z U V
    Order2H2V = 4, // W X Y Z R S T U V
    Order3H0V = 5, // W X Y U V P Q
    Order3H1V = 6, // W X Y Z U V P Q
    Order3H3V = 7, // W X Y Z R S T U V K L M N O P Q
    Order4H0V = 8, // W X Y U V P Q, fourth-order cosine and sine
};

constexpr int kAmbiOrderCount = 9;

constexpr bool isValidAmbiOrder(int value)
{
    return value >= 0 && value < kAmbiOrderCount;
}
