/*
 * Lifetimes through the component server's C interface, as a hostile host would try them:
 * sinks that call back into the object while it is being created, sinks that release the last
 * reference from inside an event, references released twice and calls after the last release.
 * Built with the sanitizers of the build it belongs to, so a use after free or a leak fails
 * the run; each case also checks the result codes it gets.
 *
 *   server_lifetimes WORK_DIR
 *
 * Prints one line a check and exits 0 when all hold.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "orvelle/orvelle.h"

static int failures = 0;

#define CHECK(condition, ...)                                           \
    do {                                                                \
        if (!(condition)) {                                             \
            ++failures;                                                 \
            printf("FAIL %s:%d: %s: ", __FILE__, __LINE__, #condition); \
            printf(__VA_ARGS__);                                        \
            printf("\n");                                               \
        }                                                               \
    } while (0)

static char work_dir[4096];

/* ---- helpers ----------------------------------------------------------------------------- */

static OvDispatch* Create(const char* prog_id) {
    OvGuid clsid;
    OvClassFactory* factory = NULL;
    OvDispatch* object = NULL;
    if (OvCLSIDFromProgID(prog_id, &clsid) != OV_S_OK) return NULL;
    if (DllGetClassObject(&clsid, &OV_IID_IClassFactory, (void**)&factory) != OV_S_OK) return NULL;
    factory->lpVtbl->CreateInstance(factory, NULL, &OV_IID_IDispatch, (void**)&object);
    factory->lpVtbl->Release(factory);
    return object;
}

static void* Query(OvDispatch* object, const OvGuid* iid) {
    void* face = NULL;
    return object->lpVtbl->QueryInterface(object, iid, &face) == OV_S_OK ? face : NULL;
}

static OvVariant Text(const char* text) {
    OvVariant v;
    OvVariantInit(&v);
    v.vt = OV_VT_BSTR;
    v.u.bstrVal = OvStringAlloc(text);
    return v;
}

static OvVariant Number(int16_t value) {
    OvVariant v;
    OvVariantInit(&v);
    v.vt = OV_VT_I2;
    v.u.iVal = value;
    return v;
}

static OvVariant Float(float value) {
    OvVariant v;
    OvVariantInit(&v);
    v.vt = OV_VT_R4;
    v.u.fltVal = value;
    return v;
}

static OvResult PutText(OvDispatch* object, const char* name, const char* text) {
    int32_t dispid;
    OvResult hr = object->lpVtbl->GetIDOfName(object, name, &dispid);
    if (hr != OV_S_OK) return hr;
    OvVariant value = Text(text);
    hr = object->lpVtbl->Invoke(object, dispid, OV_DISPATCH_PROPERTYPUT, &value, 1, NULL, NULL);
    OvVariantClear(&value);
    return hr;
}

static OvResult GetValue(OvDispatch* object, const char* name, OvVariant* result) {
    int32_t dispid;
    OvResult hr = object->lpVtbl->GetIDOfName(object, name, &dispid);
    if (hr != OV_S_OK) return hr;
    return object->lpVtbl->Invoke(object, dispid, OV_DISPATCH_PROPERTYGET, NULL, 0, result, NULL);
}

/* What a case's sink sees and does; the interfaces it may call back through. */
typedef struct Probe {
    OvDispatch* object;
    OvPersistPropertyBag* persist;
    OvControl* control;
    OvConnectionPoint* events;
    const char* release_on; /* release every reference on this event */
    int call_back;          /* call into the object from the sink */
    int depth, deepest;     /* nesting of deliveries */
    int events_seen, callbacks_ok;
    OvResult init_new_inside, load_inside, extent_inside;
    uint32_t other_cookie; /* a sink the first one unadvises */
    int other_called;
} Probe;

static void ReleaseAll(Probe* p) {
    if (p->events) p->events->lpVtbl->Release(p->events);
    if (p->control) p->control->lpVtbl->Release(p->control);
    if (p->persist) p->persist->lpVtbl->Release(p->persist);
    if (p->object) p->object->lpVtbl->Release(p->object);
}

static void ProbeSink(void* context, const char* event, int32_t dispid, OvVariant* args, uint32_t count) {
    Probe* p = (Probe*)context;
    (void)dispid, (void)args, (void)count;
    ++p->events_seen;
    ++p->depth;
    if (p->depth > p->deepest) p->deepest = p->depth;
    if (p->call_back && strcmp(event, "Resize") == 0) {
        OvVariant caption;
        OvVariantInit(&caption);
        double width = 0, height = 0;
        if (GetValue(p->object, "Caption", &caption) == OV_S_OK && caption.vt == OV_VT_BSTR) ++p->callbacks_ok;
        OvVariantClear(&caption);
        p->extent_inside = p->control->lpVtbl->GetExtent(p->control, &width, &height);
        if (p->extent_inside == OV_S_OK && width > 0 && height > 0) ++p->callbacks_ok;
        p->init_new_inside = p->persist->lpVtbl->InitNew(p->persist);
        p->load_inside = p->persist->lpVtbl->Load(p->persist, "/nonexistent.bag");
    }
    if (p->release_on && strcmp(event, p->release_on) == 0) {
        ReleaseAll(p);
        p->release_on = NULL;
    }
    --p->depth;
}

static void OtherSink(void* context, const char* event, int32_t dispid, OvVariant* args, uint32_t count) {
    (void)event, (void)dispid, (void)args, (void)count;
    ++((Probe*)context)->other_called;
}

static void UnadvisingSink(void* context, const char* event, int32_t dispid, OvVariant* args, uint32_t count) {
    Probe* p = (Probe*)context;
    (void)event, (void)dispid, (void)args, (void)count;
    if (p->other_cookie) p->events->lpVtbl->Unadvise(p->events, p->other_cookie);
    p->other_cookie = 0;
}

/* An object of another server: only its reference counting is ever called. */
static uint32_t ForeignAddRef(OvDispatch* self) {
    (void)self;
    return 1;
}
static const struct OvDispatchVtbl foreign_vtbl = {NULL, ForeignAddRef, ForeignAddRef, NULL, NULL, NULL};
static OvDispatch foreign_object = {&foreign_vtbl};

/* Leaves in every by-reference argument what the interface cannot carry back. */
static void VandalSink(void* context, const char* event, int32_t dispid, OvVariant* args, uint32_t count) {
    (void)context, (void)event, (void)dispid;
    for (uint32_t i = 0; i < count; ++i) {
        OvVariantClear(&args[i]);
        if (i % 2 == 0) {
            args[i].vt = OV_VT_DISPATCH;
            args[i].u.pdispVal = &foreign_object;
        } else {
            args[i].vt = 0x7777;
        }
    }
}

static int Open(Probe* p, const char* prog_id) {
    memset(p, 0, sizeof *p);
    p->object = Create(prog_id);
    if (!p->object) return 0;
    p->persist = (OvPersistPropertyBag*)Query(p->object, &OV_IID_IPersistPropertyBag);
    p->control = (OvControl*)Query(p->object, &OV_IID_IOvControl);
    p->events = (OvConnectionPoint*)Query(p->object, &OV_IID_IConnectionPoint);
    return p->persist && p->control && p->events;
}

static void Advise(Probe* p, OvEventSink sink) {
    uint32_t cookie = 0;
    CHECK(p->events->lpVtbl->Advise(p->events, sink, p, &cookie) == OV_S_OK, "Advise");
}

/* Every function of every interface, through pointers whose object is gone. */
static void CheckGone(OvDispatch* object, OvPersistPropertyBag* persist, OvControl* control, OvConnectionPoint* events,
                      const char* what) {
    void* face = (void*)1;
    int32_t dispid = 0;
    char* name = (char*)1;
    double w = 0, h = 0;
    uint32_t cookie = 0;
    OvVariant result;
    OvVariantInit(&result);
    CHECK(object->lpVtbl->QueryInterface(object, &OV_IID_IDispatch, &face) == OV_CO_E_OBJNOTCONNECTED && !face,
          "%s: QueryInterface", what);
    CHECK(object->lpVtbl->AddRef(object) == 0, "%s: AddRef", what);
    CHECK(object->lpVtbl->Release(object) == 0, "%s: Release", what);
    CHECK(object->lpVtbl->GetTypeName(object, &name) == OV_CO_E_OBJNOTCONNECTED && !name, "%s: GetTypeName", what);
    CHECK(object->lpVtbl->GetIDOfName(object, "Caption", &dispid) == OV_CO_E_OBJNOTCONNECTED, "%s: GetIDOfName", what);
    CHECK(object->lpVtbl->Invoke(object, 1, OV_DISPATCH_PROPERTYGET, NULL, 0, &result, NULL) == OV_CO_E_OBJNOTCONNECTED,
          "%s: Invoke", what);
    CHECK(result.vt == OV_VT_EMPTY, "%s: Invoke left a result", what);
    if (persist) {
        CHECK(persist->lpVtbl->InitNew(persist) == OV_CO_E_OBJNOTCONNECTED, "%s: InitNew", what);
        CHECK(persist->lpVtbl->Load(persist, "/nonexistent.bag") == OV_CO_E_OBJNOTCONNECTED, "%s: Load", what);
        CHECK(persist->lpVtbl->Save(persist, "/nonexistent/x.bag") == OV_CO_E_OBJNOTCONNECTED, "%s: Save", what);
        CHECK(persist->lpVtbl->Release(persist) == 0, "%s: persist Release", what);
    }
    if (control) {
        CHECK(control->lpVtbl->SetExtent(control, 900, 900) == OV_CO_E_OBJNOTCONNECTED, "%s: SetExtent", what);
        CHECK(control->lpVtbl->GetExtent(control, &w, &h) == OV_CO_E_OBJNOTCONNECTED, "%s: GetExtent", what);
        CHECK(control->lpVtbl->FireEvent(control, "surface", "Click", NULL, 0, NULL) == OV_CO_E_OBJNOTCONNECTED,
              "%s: FireEvent", what);
        CHECK(control->lpVtbl->Wait(control, 10) == OV_CO_E_OBJNOTCONNECTED, "%s: Wait", what);
        CHECK(control->lpVtbl->RenderPng(control, "/nonexistent/x.png") == OV_CO_E_OBJNOTCONNECTED, "%s: RenderPng",
              what);
        CHECK(control->lpVtbl->Release(control) == 0, "%s: control Release", what);
    }
    if (events) {
        CHECK(events->lpVtbl->Advise(events, OtherSink, NULL, &cookie) == OV_CO_E_OBJNOTCONNECTED, "%s: Advise", what);
        CHECK(events->lpVtbl->Unadvise(events, 1) == OV_CO_E_OBJNOTCONNECTED, "%s: Unadvise", what);
        CHECK(events->lpVtbl->AddRef(events) == 0, "%s: events AddRef", what);
    }
}

/* ---- the cases ----------------------------------------------------------------------------- */

/* A sink advised before InitNew or Load calls back while the panel raises Resize in its
   creation: it reaches the control being created, InitNew and Load inside are refused, and the
   creation runs once. */
static void SinkCallsBackDuringCreation(void) {
    static const char* const ways[] = {"InitNew", "Load", "first call"};
    char bag[4200];
    snprintf(bag, sizeof bag, "%s/panel.bag", work_dir);
    {
        Probe saved;
        CHECK(Open(&saved, "OrvelleControls.OVGradientPanel"), "open");
        CHECK(PutText(saved.object, "Caption", "From the bag") == OV_S_OK, "Caption");
        CHECK(saved.persist->lpVtbl->Save(saved.persist, bag) == OV_S_OK, "Save");
        ReleaseAll(&saved);
    }
    for (int way = 0; way < 3; ++way) {
        Probe p, quiet;
        CHECK(Open(&p, "OrvelleControls.OVGradientPanel"), "open");
        CHECK(Open(&quiet, "OrvelleControls.OVGradientPanel"), "open");
        p.call_back = 1;
        Advise(&p, ProbeSink);
        Advise(&quiet, ProbeSink);
        OvResult created = OV_E_FAIL, quiet_created = OV_E_FAIL;
        if (way == 0) {
            created = p.persist->lpVtbl->InitNew(p.persist);
            quiet_created = quiet.persist->lpVtbl->InitNew(quiet.persist);
        } else if (way == 1) {
            created = p.persist->lpVtbl->Load(p.persist, bag);
            quiet_created = quiet.persist->lpVtbl->Load(quiet.persist, bag);
        } else {
            int32_t dispid;
            created = p.object->lpVtbl->GetIDOfName(p.object, "Caption", &dispid);
            quiet_created = quiet.object->lpVtbl->GetIDOfName(quiet.object, "Caption", &dispid);
        }
        CHECK(created == OV_S_OK, "%s: 0x%08X", ways[way], (unsigned)created);
        CHECK(quiet_created == OV_S_OK, "%s without callbacks", ways[way]);
        CHECK(p.events_seen > 0, "%s: no Resize during creation", ways[way]);
        CHECK(p.events_seen == quiet.events_seen, "%s: %d events with callbacks, %d without: created again", ways[way],
              p.events_seen, quiet.events_seen);
        CHECK(p.deepest == 1, "%s: deliveries nested %d deep", ways[way], p.deepest);
        CHECK(p.callbacks_ok == 2 * p.events_seen, "%s: %d of %d callbacks answered", ways[way], p.callbacks_ok,
              2 * p.events_seen);
        CHECK(p.init_new_inside == OV_E_UNEXPECTED, "%s: InitNew inside gave 0x%08X", ways[way],
              (unsigned)p.init_new_inside);
        CHECK(p.load_inside == OV_E_UNEXPECTED, "%s: Load inside gave 0x%08X", ways[way], (unsigned)p.load_inside);
        OvVariant caption;
        OvVariantInit(&caption);
        CHECK(GetValue(p.object, "Caption", &caption) == OV_S_OK && caption.vt == OV_VT_BSTR, "%s: Caption after",
              ways[way]);
        if (way == 1) CHECK(strcmp(caption.u.bstrVal, "From the bag") == 0, "Load: Caption %s", caption.u.bstrVal);
        OvVariantClear(&caption);
        CHECK(p.persist->lpVtbl->InitNew(p.persist) == OV_E_UNEXPECTED, "%s: InitNew after", ways[way]);
        ReleaseAll(&p);
        ReleaseAll(&quiet);
    }
}

/* A sink releases every reference from inside an event; the call that raised it finishes on
   an object still alive, and the object goes after it. */
static void SinkReleasesInsideEvents(void) {
    struct {
        const char* prog_id;
        const char* event;
    } const cases[] = {
        {"OrvelleControls.OVTabHead", "TabSelected"},
        {"OrvelleControls.OVHotLabel", "HotSpotClick"},
        {"OrvelleControls.OVGradientPanel", "Resize"},
        {"OrvelleControls.OVGradientPanel", "Resize (creation)"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        Probe p;
        CHECK(Open(&p, cases[i].prog_id), "open %s", cases[i].prog_id);
        Advise(&p, ProbeSink);
        OvDispatch* object = p.object;
        OvPersistPropertyBag* persist = p.persist;
        OvControl* control = p.control;
        OvConnectionPoint* events = p.events;
        OvResult hr;
        if (i == 3) {
            p.release_on = "Resize";
            hr = persist->lpVtbl->InitNew(persist);
        } else {
            CHECK(persist->lpVtbl->InitNew(persist) == OV_S_OK, "InitNew");
            p.release_on = cases[i].event;
            if (i == 0) {
                CHECK(PutText(object, "TabString", "One,Two") == OV_S_OK, "TabString");
                hr = control->lpVtbl->FireEvent(control, "lblTabItem(1)", "Click", NULL, 0, NULL);
            } else if (i == 1) {
                CHECK(PutText(object, "ControlString", "~Hot~ spot") == OV_S_OK, "ControlString");
                OvVariant at[4] = {Number(0), Number(0), Float(6), Float(6)};
                hr = control->lpVtbl->FireEvent(control, "picMain", "MouseMove", at, 4, NULL);
                CHECK(hr == OV_S_OK, "MouseMove");
                hr = control->lpVtbl->FireEvent(control, "picMain", "MouseDown", at, 4, NULL);
                for (int a = 0; a < 4; ++a) OvVariantClear(&at[a]);
            } else {
                hr = control->lpVtbl->SetExtent(control, 3000, 1500);
            }
        }
        CHECK(hr == OV_S_OK, "%s: the call raising it gave 0x%08X", cases[i].event, (unsigned)hr);
        CHECK(p.release_on == NULL, "%s was not raised", cases[i].event);
        CHECK(DllCanUnloadNow() == OV_S_OK, "%s: the object outlived its call", cases[i].event);
        CheckGone(object, persist, control, events, cases[i].event);
    }
}

/* Released twice, called after the last release: answers, never freed memory. */
static void DoubleReleaseAndCallsAfterTheLast(void) {
    Probe p;
    CHECK(Open(&p, "OrvelleControls.OVGradientPanel"), "open");
    CHECK(p.persist->lpVtbl->InitNew(p.persist) == OV_S_OK, "InitNew");
    OvDispatch* object = p.object;
    OvPersistPropertyBag* persist = p.persist;
    OvControl* control = p.control;
    OvConnectionPoint* events = p.events;
    CHECK(events->lpVtbl->Release(events) == 3, "events Release");
    CHECK(control->lpVtbl->Release(control) == 2, "control Release");
    CHECK(persist->lpVtbl->Release(persist) == 1, "persist Release");
    CHECK(object->lpVtbl->Release(object) == 0, "last Release");
    CHECK(object->lpVtbl->Release(object) == 0, "second Release");
    CheckGone(object, persist, control, events, "after the last release");
    CHECK(DllCanUnloadNow() == OV_S_OK, "an object is alive");

    /* An object a member handed out (the font), released twice. */
    CHECK(Open(&p, "OrvelleControls.OVGradientPanel"), "open");
    OvVariant font;
    OvVariantInit(&font);
    CHECK(GetValue(p.object, "Font", &font) == OV_S_OK && font.vt == OV_VT_DISPATCH, "Font");
    OvDispatch* handed_out = font.u.pdispVal;
    OvVariantClear(&font);
    CHECK(handed_out->lpVtbl->Release(handed_out) == 0, "handed-out object released twice");
    CheckGone(handed_out, NULL, NULL, NULL, "a handed-out object");
    /* A released object passed back in is refused, not followed. */
    OvVariant gone;
    OvVariantInit(&gone);
    gone.vt = OV_VT_DISPATCH;
    gone.u.pdispVal = handed_out;
    int32_t dispid;
    OvExcepInfo error = {0, NULL, NULL};
    CHECK(p.object->lpVtbl->GetIDOfName(p.object, "Font", &dispid) == OV_S_OK, "Font id");
    CHECK(p.object->lpVtbl->Invoke(p.object, dispid, OV_DISPATCH_PROPERTYPUTREF, &gone, 1, NULL, &error) ==
                  OV_DISP_E_EXCEPTION &&
              error.number == 13,
          "a released font passed in gave error %d", error.number);
    OvExcepInfoClear(&error);
    ReleaseAll(&p);

    /* A class object. */
    OvGuid clsid;
    OvClassFactory* factory = NULL;
    void* out = NULL;
    CHECK(OvCLSIDFromProgID("OrvelleControls.OV3DLine", &clsid) == OV_S_OK, "ProgID");
    CHECK(DllGetClassObject(&clsid, &OV_IID_IClassFactory, (void**)&factory) == OV_S_OK, "class object");
    CHECK(factory->lpVtbl->Release(factory) == 0, "factory Release");
    CHECK(factory->lpVtbl->Release(factory) == 0, "factory second Release");
    CHECK(factory->lpVtbl->AddRef(factory) == 0, "factory AddRef after");
    CHECK(factory->lpVtbl->CreateInstance(factory, NULL, &OV_IID_IDispatch, &out) == OV_CO_E_OBJNOTCONNECTED && !out,
          "CreateInstance after");
    CHECK(factory->lpVtbl->LockServer(factory, 1) == OV_CO_E_OBJNOTCONNECTED, "LockServer after");
    CHECK(factory->lpVtbl->QueryInterface(factory, &OV_IID_IUnknown, &out) == OV_CO_E_OBJNOTCONNECTED && !out,
          "QueryInterface after");
    CHECK(DllCanUnloadNow() == OV_S_OK, "a class object or lock is alive");
}

/* Sinks that misbehave during a delivery: one unadvises another that has not been called yet
   (it is not called), one leaves values the interface cannot carry back (ignored). */
static void MisbehavingSinks(void) {
    Probe p;
    CHECK(Open(&p, "OrvelleControls.OVTabHead"), "open");
    CHECK(p.persist->lpVtbl->InitNew(p.persist) == OV_S_OK, "InitNew");
    CHECK(PutText(p.object, "TabString", "One,Two,Three") == OV_S_OK, "TabString");
    Advise(&p, UnadvisingSink);
    CHECK(p.events->lpVtbl->Advise(p.events, OtherSink, &p, &p.other_cookie) == OV_S_OK, "Advise");
    Advise(&p, VandalSink);
    CHECK(p.control->lpVtbl->FireEvent(p.control, "lblTabItem(2)", "Click", NULL, 0, NULL) == OV_S_OK, "Click");
    CHECK(p.other_called == 0, "an unadvised sink was called %d times", p.other_called);
    OvVariant selected;
    OvVariantInit(&selected);
    CHECK(GetValue(p.object, "SelectedTab", &selected) == OV_S_OK && selected.vt == OV_VT_BSTR &&
              strcmp(selected.u.bstrVal, "2") == 0,
          "SelectedTab after the vandal");
    OvVariantClear(&selected);
    ReleaseAll(&p);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: server_lifetimes WORK_DIR\n");
        return 2;
    }
    snprintf(work_dir, sizeof work_dir, "%s", argv[1]);
    char registry[4200];
    snprintf(registry, sizeof registry, "%s/registry.json", work_dir);
    setenv("ORVELLE_REGISTRY", registry, 1);
    if (DllRegisterServer() != OV_S_OK) {
        fprintf(stderr, "server_lifetimes: cannot register into %s\n", registry);
        return 1;
    }
    SinkCallsBackDuringCreation();
    SinkReleasesInsideEvents();
    DoubleReleaseAndCallsAfterTheLast();
    MisbehavingSinks();

    CHECK(DllCanUnloadNow() == OV_S_OK, "an object, class object or lock is alive at the end");
    DllUnregisterServer();
    printf("%s: %d failures\n", argv[0], failures);
    return failures ? 1 : 0;
}
