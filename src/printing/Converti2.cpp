#include "Converti2.h"

#include "ConvertiBordi.h"

using pc::anteprima::ConvertiBordi;

namespace pc::stampa {

std::string &Converti2(std::string &frase)
{
    // The acute accent is tested first: in the report it is the right tee
    // closing the separator lines, which on paper reads better as "'". Every
    // other code follows the screen's rules.
    for (char &c : frase) {
        if (static_cast<unsigned char>(c) == 180) {
            c = '\'';
        } else {
            std::string uno(1, c);
            c = ConvertiBordi(uno)[0];
        }
    }
    return frase;
}

} // namespace pc::stampa
