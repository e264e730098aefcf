#version 450
// Writes nothing: pipelines built with it rasterise nothing. Used where a target needs a pipeline before
// it has anything to draw.
void main()
{
}
