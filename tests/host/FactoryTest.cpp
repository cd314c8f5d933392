#include <gtest/gtest.h>

#include <pluginterfaces/base/ipluginbase.h>
#include <pluginterfaces/base/iplugincompatibility.h>

#include <cstring>
#include <dlfcn.h>
#include <string>

// The module's factory, read the way a VST3 host reads it: straight from GetPluginFactory.

using namespace Steinberg;

namespace
{
std::string modulePath()
{
    const char* bundle = std::getenv ("VEXA_VST3_BUNDLE");
    return std::string (bundle != nullptr ? bundle : VEXA_VST3_BUNDLE) + "/Contents/x86_64-linux/Vexa Compressor.so";
}

std::string utf8 (const char16* text)
{
    std::string out;
    for (; *text != 0; ++text)
        out.push_back (*text < 128 ? (char) *text : '?');
    return out;
}

bool allZero (const char* field, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        if (field[i] != 0)
            return false;
    return true;
}

struct Module
{
    Module()
    {
        handle = dlopen (modulePath().c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            return;
        auto entry = reinterpret_cast<bool (*) (void*)> (dlsym (handle, "ModuleEntry"));
        auto get = reinterpret_cast<IPluginFactory* (*) ()> (dlsym (handle, "GetPluginFactory"));
        if (entry != nullptr && entry (handle) && get != nullptr)
            factory = get();
    }

    ~Module()
    {
        if (factory != nullptr)
            factory->release();
        if (handle != nullptr)
        {
            if (auto exit = reinterpret_cast<bool (*)()> (dlsym (handle, "ModuleExit")))
                exit();
            dlclose (handle);
        }
    }

    template <typename Interface>
    Interface* query (const TUID iid)
    {
        void* result = nullptr;
        return factory->queryInterface (iid, &result) == kResultOk ? static_cast<Interface*> (result) : nullptr;
    }

    void* handle = nullptr;
    IPluginFactory* factory = nullptr;
};

const uint8_t componentId[16] = { 0xAB, 0xCD, 0xEF, 0x01, 0x91, 0x82, 0xFA, 0xEB, 'Q', 'f', 'p', 'g', 'V', 'x', 'q', '7' };
const uint8_t controllerId[16] = { 0xAB, 0xCD, 0xEF, 0x01, 0x12, 0x34, 0xAB, 0xCD, 'Q', 'f', 'p', 'g', 'V', 'x', 'q', '7' };
} // namespace

TEST (Factory, RecordCarriesVendorOnlyAndTheUnicodeFlag)
{
    Module module;
    ASSERT_NE (module.factory, nullptr) << modulePath() << ": " << dlerror();

    PFactoryInfo info {};
    ASSERT_EQ (module.factory->getFactoryInfo (&info), kResultOk);
    EXPECT_STREQ (info.vendor, "QuillfenPlugins");
    EXPECT_TRUE (allZero (info.vendor + std::strlen ("QuillfenPlugins"), sizeof (info.vendor) - std::strlen ("QuillfenPlugins")));
    EXPECT_TRUE (allZero (info.url, sizeof (info.url)));
    EXPECT_TRUE (allZero (info.email, sizeof (info.email)));
    EXPECT_EQ (info.flags, 16);
}

TEST (Factory, ComponentAndControllerClassRecords)
{
    Module module;
    ASSERT_NE (module.factory, nullptr);
    auto* factory2 = module.query<IPluginFactory2> (IPluginFactory2_iid);
    auto* factory3 = module.query<IPluginFactory3> (IPluginFactory3_iid);
    ASSERT_NE (factory2, nullptr);
    ASSERT_NE (factory3, nullptr);

    // JUCE 8.0.6 lists a third class, its "Plugin Compatibility Class", after these two.
    ASSERT_GE (module.factory->countClasses(), 2);

    struct Expected
    {
        const uint8_t* cid;
        const char* category;
    };
    const Expected expected[] = { { componentId, "Audio Module Class" }, { controllerId, "Component Controller Class" } };

    for (int32 i = 0; i < 2; ++i)
    {
        SCOPED_TRACE (i);
        PClassInfo2 info {};
        ASSERT_EQ (factory2->getClassInfo2 (i, &info), kResultOk);
        EXPECT_EQ (std::memcmp (info.cid, expected[i].cid, 16), 0);
        EXPECT_STREQ (info.category, expected[i].category);
        EXPECT_STREQ (info.name, "Vexa Compressor");
        EXPECT_EQ (info.cardinality, 0x7FFFFFFF);
        EXPECT_EQ (info.classFlags, 0u);
        EXPECT_STREQ (info.subCategories, "Fx|Fx|Dynamics");
        EXPECT_STREQ (info.vendor, "QuillfenPlugins");
        EXPECT_STREQ (info.version, "1.1.0");
        EXPECT_STREQ (info.sdkVersion, "VST 3.7.12"); // the SDK that JUCE 8.0.6's wrapper is built with

        PClassInfo basic {};
        ASSERT_EQ (module.factory->getClassInfo (i, &basic), kResultOk);
        EXPECT_EQ (std::memcmp (basic.cid, info.cid, 16), 0);
        EXPECT_STREQ (basic.category, info.category);
        EXPECT_STREQ (basic.name, info.name);

        PClassInfoW wide {};
        ASSERT_EQ (factory3->getClassInfoUnicode (i, &wide), kResultOk);
        EXPECT_EQ (std::memcmp (wide.cid, info.cid, 16), 0);
        EXPECT_STREQ (wide.category, info.category);
        EXPECT_EQ (utf8 (wide.name), info.name);
        EXPECT_EQ (utf8 (wide.vendor), info.vendor);
        EXPECT_EQ (utf8 (wide.version), info.version);
        EXPECT_EQ (utf8 (wide.sdkVersion), info.sdkVersion);
        EXPECT_STREQ (wide.subCategories, info.subCategories);
        EXPECT_EQ (wide.cardinality, info.cardinality);
        EXPECT_EQ (wide.classFlags, info.classFlags);
    }

    factory2->release();
    factory3->release();
}

TEST (Factory, UnknownClassIdCreatesNothing)
{
    Module module;
    ASSERT_NE (module.factory, nullptr);
    const TUID unknown = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16 };
    void* object = nullptr;
    EXPECT_NE (module.factory->createInstance (unknown, FUnknown_iid, &object), kResultOk);
    EXPECT_EQ (object, nullptr);
}
