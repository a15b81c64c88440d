// Thrown by CDataExchange::Fail and caught by UpdateData: the user has been told already.
#pragma once

namespace platform::ui::detail {

struct data_exchange_failure {};

}  // namespace platform::ui::detail
