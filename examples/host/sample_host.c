/*
 * A host application of the OrvelleControls component server, written against nothing but
 * include/orvelle/orvelle.h: it loads the library with dlopen, registers it into a registry
 * of its own, creates a tab header by ProgID, sets and reads properties by name, receives an
 * event, saves the control to a property bag and loads it back into a new instance, renders
 * it to PNG, releases everything and checks that the server can then be unloaded.
 *
 *   sample_host LIBRARY WORK_DIR
 *
 * Prints what it does, one step a line, and exits 0 when every step gave what it should.
 */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "orvelle/orvelle.h"

/* The entry points and helpers, looked up in the loaded library. */
static OvResult (*Register)(void);
static OvResult (*Unregister)(void);
static OvResult (*GetClassObject)(const OvGuid*, const OvGuid*, void**);
static OvResult (*CanUnloadNow)(void);
static OvResult (*ClsidFromProgId)(const char*, OvGuid*);
static char* (*StringAlloc)(const char*);
static OvResult (*VariantClear)(OvVariant*);
static void (*ExcepInfoClear)(OvExcepInfo*);
static const OvGuid* IID_IDispatch;
static const OvGuid* IID_IClassFactory;
static const OvGuid* IID_IPersistPropertyBag;
static const OvGuid* IID_IOvControl;
static const OvGuid* IID_IConnectionPoint;

static int failures = 0;

static void Check(int ok, const char* what) {
    printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok) ++failures;
}

static void* Symbol(void* library, const char* name) {
    void* symbol = dlsym(library, name);
    if (!symbol) {
        fprintf(stderr, "sample_host: %s is missing from the library\n", name);
        exit(2);
    }
    return symbol;
}

/* Sets a String property by name. */
static OvResult PutText(OvDispatch* object, const char* name, const char* text) {
    int32_t dispid;
    OvResult hr = object->lpVtbl->GetIDOfName(object, name, &dispid);
    if (OV_FAILED(hr)) return hr;
    OvVariant value;
    value.vt = OV_VT_BSTR;
    value.u.bstrVal = StringAlloc(text);
    OvExcepInfo error = {0, NULL, NULL};
    hr = object->lpVtbl->Invoke(object, dispid, OV_DISPATCH_PROPERTYPUT, &value, 1, NULL, &error);
    if (hr == OV_DISP_E_EXCEPTION) fprintf(stderr, "error %d: %s\n", error.number, error.description);
    ExcepInfoClear(&error);
    VariantClear(&value);
    return hr;
}

/* Reads a property by name as text ("" when it cannot be read as a string). */
static void GetText(OvDispatch* object, const char* name, char* out, size_t size) {
    int32_t dispid;
    OvVariant result;
    out[0] = '\0';
    result.vt = OV_VT_EMPTY;
    if (OV_FAILED(object->lpVtbl->GetIDOfName(object, name, &dispid))) return;
    if (OV_FAILED(object->lpVtbl->Invoke(object, dispid, OV_DISPATCH_PROPERTYGET, NULL, 0, &result, NULL))) return;
    if (result.vt == OV_VT_BSTR) snprintf(out, size, "%s", result.u.bstrVal);
    VariantClear(&result);
}

static OvDispatch* CreateByProgId(const char* prog_id) {
    OvGuid clsid;
    OvClassFactory* factory = NULL;
    OvDispatch* object = NULL;
    if (OV_FAILED(ClsidFromProgId(prog_id, &clsid))) return NULL;
    if (OV_FAILED(GetClassObject(&clsid, IID_IClassFactory, (void**)&factory))) return NULL;
    factory->lpVtbl->CreateInstance(factory, NULL, IID_IDispatch, (void**)&object);
    factory->lpVtbl->Release(factory);
    return object;
}

static void* Query(OvDispatch* object, const OvGuid* iid) {
    void* face = NULL;
    return OV_SUCCEEDED(object->lpVtbl->QueryInterface(object, iid, &face)) ? face : NULL;
}

/* The event sink: remembers the last TabSelected and the tab it named. */
static char selected_name[64];
static int selected_index = -1;

static void OnEvent(void* context, const char* event, int32_t dispid, OvVariant* args, uint32_t count) {
    (void)context;
    (void)dispid;
    printf("     event %s(%u arguments)\n", event, count);
    if (strcmp(event, "TabSelected") == 0 && count == 2) {
        selected_index = args[0].vt == OV_VT_I2 ? args[0].u.iVal : -1;
        snprintf(selected_name, sizeof selected_name, "%s", args[1].vt == OV_VT_BSTR ? args[1].u.bstrVal : "");
    }
}

static int FileStartsWith(const char* path, const char* bytes, size_t count) {
    char head[16] = {0};
    FILE* file = fopen(path, "rb");
    if (!file) return 0;
    const size_t read = fread(head, 1, count, file);
    fclose(file);
    return read == count && memcmp(head, bytes, count) == 0;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: sample_host LIBRARY WORK_DIR\n");
        return 2;
    }
    char registry[4096], bag[4096], png[4096], text[256];
    snprintf(registry, sizeof registry, "%s/registry.json", argv[2]);
    snprintf(bag, sizeof bag, "%s/tabs.bag", argv[2]);
    snprintf(png, sizeof png, "%s/tabs.png", argv[2]);
    setenv("ORVELLE_REGISTRY", registry, 1);

    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "sample_host: %s\n", dlerror());
        return 2;
    }
    Register = (OvResult(*)(void))Symbol(library, "DllRegisterServer");
    Unregister = (OvResult(*)(void))Symbol(library, "DllUnregisterServer");
    GetClassObject = (OvResult(*)(const OvGuid*, const OvGuid*, void**))Symbol(library, "DllGetClassObject");
    CanUnloadNow = (OvResult(*)(void))Symbol(library, "DllCanUnloadNow");
    ClsidFromProgId = (OvResult(*)(const char*, OvGuid*))Symbol(library, "OvCLSIDFromProgID");
    StringAlloc = (char* (*)(const char*))Symbol(library, "OvStringAlloc");
    VariantClear = (OvResult(*)(OvVariant*))Symbol(library, "OvVariantClear");
    ExcepInfoClear = (void (*)(OvExcepInfo*))Symbol(library, "OvExcepInfoClear");
    IID_IDispatch = (const OvGuid*)Symbol(library, "OV_IID_IDispatch");
    IID_IClassFactory = (const OvGuid*)Symbol(library, "OV_IID_IClassFactory");
    IID_IPersistPropertyBag = (const OvGuid*)Symbol(library, "OV_IID_IPersistPropertyBag");
    IID_IOvControl = (const OvGuid*)Symbol(library, "OV_IID_IOvControl");
    IID_IConnectionPoint = (const OvGuid*)Symbol(library, "OV_IID_IConnectionPoint");

    Check(Register() == OV_S_OK, "DllRegisterServer into the sample's own registry");

    OvDispatch* tabs = CreateByProgId("OrvelleControls.OVTabHead");
    Check(tabs != NULL, "an OVTabHead created by ProgID");
    if (!tabs) return 1;
    OvPersistPropertyBag* persist = Query(tabs, IID_IPersistPropertyBag);
    Check(persist && persist->lpVtbl->InitNew(persist) == OV_S_OK, "new-instance defaults (InitNew)");

    Check(PutText(tabs, "TabString", "Alpha,Beta,Gamma") == OV_S_OK, "TabString = \"Alpha,Beta,Gamma\"");
    GetText(tabs, "TabString", text, sizeof text);
    Check(strcmp(text, "Alpha,Beta,Gamma") == 0, "TabString reads back");

    OvConnectionPoint* events = Query(tabs, IID_IConnectionPoint);
    uint32_t cookie = 0;
    Check(events && events->lpVtbl->Advise(events, OnEvent, NULL, &cookie) == OV_S_OK, "an event sink advised");
    OvControl* control = Query(tabs, IID_IOvControl);
    Check(control && control->lpVtbl->FireEvent(control, "lblTabItem(1)", "Click", NULL, 0, NULL) == OV_S_OK,
          "a click on the second heading");
    Check(selected_index == 1 && strcmp(selected_name, "Beta") == 0, "TabSelected(1, \"Beta\") received");
    GetText(tabs, "SelectedTab", text, sizeof text);
    Check(strcmp(text, "1") == 0, "SelectedTab is now \"1\"");

    Check(persist->lpVtbl->Save(persist, bag) == OV_S_OK, "saved to a property bag");
    Check(control->lpVtbl->RenderPng(control, png) == OV_S_OK && FileStartsWith(png, "\x89PNG", 4), "rendered to PNG");
    Check(CanUnloadNow() == OV_S_FALSE, "the server stays while the control lives");

    events->lpVtbl->Unadvise(events, cookie);
    events->lpVtbl->Release(events);
    control->lpVtbl->Release(control);
    persist->lpVtbl->Release(persist);
    tabs->lpVtbl->Release(tabs);

    OvDispatch* loaded = CreateByProgId("OrvelleControls.OVTabHead");
    OvPersistPropertyBag* loader = loaded ? Query(loaded, IID_IPersistPropertyBag) : NULL;
    Check(loader && loader->lpVtbl->Load(loader, bag) == OV_S_OK, "a new instance loaded from the bag");
    if (loaded) {
        GetText(loaded, "TabString", text, sizeof text);
        Check(strcmp(text, "Alpha,Beta,Gamma") == 0, "its TabString came back");
        GetText(loaded, "SelectedTab", text, sizeof text);
        Check(strcmp(text, "1") == 0, "its SelectedTab came back");
    }
    if (loader) loader->lpVtbl->Release(loader);
    if (loaded) loaded->lpVtbl->Release(loaded);

    Check(CanUnloadNow() == OV_S_OK, "DllCanUnloadNow once everything is released");
    Check(Unregister() == OV_S_OK, "DllUnregisterServer");
    OvGuid gone;
    Check(ClsidFromProgId("OrvelleControls.OVTabHead", &gone) == OV_CO_E_CLASSSTRING, "the ProgID is gone");
    dlclose(library);
    printf("%s\n", failures ? "sample host: FAILED" : "sample host: every step passed");
    return failures ? 1 : 0;
}
