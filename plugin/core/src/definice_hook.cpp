#include "plugin/core/definice_hook.h"

#include "plugin/definitions/captions.h"
#include "plugin/definitions/schema.h"
#include "plugin/messages/hlasky.h"

namespace plugin {

namespace {

//! The texts of the definitions: messages in the user's languages, host attributes from the host.
class TZdrojPopisku : public IZdrojPopisku {
public:
    explicit TZdrojPopisku(ITarvik& tarvik)
        : tarvik_(tarvik) {}
    std::string TextHlasky(int index) override { return plugin::TextHlasky(index); }
    std::string TextKlice(std::string_view klic) override {
        const auto* hlaska = HlaskaPodleKlice(klic);
        return hlaska ? plugin::TextHlasky(hlaska->Index) : "";
    }
    std::string PopisAtributu(std::string_view tarvikAttr) override {
        return tarvik_.GetAttributeCaption(tarvikAttr);
    }
    std::string KonverzeAtributu(std::string_view tarvikAttr) override {
        return tarvik_.GetAttributeConversion(tarvikAttr);
    }

private:
    ITarvik& tarvik_;
};

} // namespace

void DokonciDefinice() {
    EfektivniSchema();
}

void PrelozDefinice(ITarvik& tarvik) {
    TZdrojPopisku zdroj(tarvik);
    PrelozPopiskyTabulek(zdroj);
}

} // namespace plugin
