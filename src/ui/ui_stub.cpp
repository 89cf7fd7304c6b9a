// Placeholder until the front ends land.
namespace tapix { void UiStub() {} }
