// Which request a reply answers: in order, by code, never later than the truth.
#include "link/RequestOrder.h"

#include <gtest/gtest.h>

namespace zorva::test {
namespace {

TEST(RequestOrder, AReplyAnswersTheOldestWaitingRequestOfItsCode)
{
    RequestOrder order;
    const auto stan1 = order.Sent(StanFrame());
    const auto clock = order.Sent(ZegarFrame(2024, 1, 2, 3, 4, 5));
    const auto pict = order.Sent(PictFrame(1, 0, 15));
    const auto stan2 = order.Sent(StanFrame());
    EXPECT_EQ(order.NextSequence(), stan2 + 1);
    EXPECT_LT(stan1, clock);

    // The first status reply answers the first status request, whatever came after it.
    EXPECT_EQ(order.Answered(kRxStatus)->sequence, stan1);
    // A configuration reply nobody asked for answers nothing and takes nothing away.
    EXPECT_FALSE(order.Answered(kRxConfig));
    // The picture request's answer was lost: the next status reply passes it by.
    EXPECT_EQ(order.Answered(kRxStatus)->sequence, stan2);
    EXPECT_FALSE(order.Answered(kRxPicture));
    // The clock frame is never answered and never waited for.
    EXPECT_FALSE(order.Answered(kCmdZegar));
    EXPECT_GT(pict, clock);

    // A reopened line forgets what was written before.
    order.Sent(StanFrame());
    order.Forget();
    EXPECT_FALSE(order.Answered(kRxStatus));

    // Only the latest requests are remembered.
    for (std::size_t i = 0; i <= RequestOrder::kRemembered; ++i) {
        order.Sent(PictFrame(1, static_cast<std::uint8_t>(i), 15));
    }
    EXPECT_EQ(order.Answered(kRxPicture)->frame, PictFrame(1, 1, 15));
}

} // namespace
} // namespace zorva::test
