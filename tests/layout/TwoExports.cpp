// A module that exports the entry point's name and one more symbol, for the
// export check to refuse.
extern "C" __attribute__((visibility("default"))) int VSTPluginMain()
{
    return 1;
}

extern "C" __attribute__((visibility("default"))) int velmoraSecondExport()
{
    return 2;
}
