#include "ComandiBatch.h"

namespace pc::batch {

int comandoDemo(const std::vector<std::string> &)
{
    scriviErrore("la creazione dell'albergo dimostrativo non \xC3\xA8 ancora disponibile.");
    return 1;
}

} // namespace pc::batch
